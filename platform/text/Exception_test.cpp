#include "platform/text/Exception.h"

#include <gtest/gtest.h>

namespace {
KR_DECLARE_EXCEPTION(ETestError, EConvertError);
}

TEST(Exception, ClassNamesAndAncestors) {
  const ETestError e("bad value");
  EXPECT_EQ(e.Message(), "bad value");
  EXPECT_STREQ(e.what(), "bad value");
  EXPECT_EQ(e.ClassName(), "ETestError");
  EXPECT_TRUE(e.InheritsFrom("ETestError"));
  EXPECT_TRUE(e.InheritsFrom("econverterror"));
  EXPECT_TRUE(e.InheritsFrom("Exception"));
  EXPECT_FALSE(e.InheritsFrom("EAbort"));
  const Exception& base = e;
  EXPECT_EQ(base.ClassName(), "ETestError");  // dynamic, through the base
}
