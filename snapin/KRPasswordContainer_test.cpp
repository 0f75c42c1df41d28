#include "snapin/KRPasswordContainer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/testing/TestFiles.h"

namespace {

class PasswordContainer : public ::testing::Test {
 protected:
  ScopedEnv locale_{"LC_ALL", "en_US.UTF-8"};
  TKRPasswordContainer container_;
  std::string user_ = "left over", password_ = "left over";
};

TEST_F(PasswordContainer, AnUnknownKeyAnswersFalseWithBothTextsEmptied) {
  EXPECT_FALSE(container_.FindUserPassword(user_, password_, "Sales"));
  EXPECT_EQ(user_, "");
  EXPECT_EQ(password_, "");

  container_.AddEntry("anna", "secret", "Sales");
  user_ = password_ = "left over";
  EXPECT_FALSE(container_.FindUserPassword(user_, password_, "Sale"));
  EXPECT_FALSE(container_.FindUserPassword(user_, password_, ""));
  EXPECT_EQ(user_, "");
  EXPECT_EQ(password_, "");
}

TEST_F(PasswordContainer, EachKeyAnswersItsOwnEntry) {
  container_.AddEntry("anna", "anna-pw", "NorthwindSales - 1.0");
  container_.AddEntry("ben", "", "SouthwindSales - 1.0");
  container_.AddEntry("", "x", "");  // an empty key is a key like any other
  ASSERT_TRUE(container_.FindUserPassword(user_, password_, "SouthwindSales - 1.0"));
  EXPECT_EQ(user_, "ben");
  EXPECT_EQ(password_, "");
  ASSERT_TRUE(container_.FindUserPassword(user_, password_, "NorthwindSales - 1.0"));
  EXPECT_EQ(user_, "anna");
  EXPECT_EQ(password_, "anna-pw");
  ASSERT_TRUE(container_.FindUserPassword(user_, password_, ""));
  EXPECT_EQ(password_, "x");
  EXPECT_EQ(container_.Count(), 3u);
}

TEST_F(PasswordContainer, KeysDifferingOnlyInCaseShareOneEntry) {
  container_.AddEntry("anna", "first", "NorthwindSales - 1.0KestrelOS20pc7");
  container_.AddEntry("ben", "a much longer second password than the first",
                      "NORTHWINDsales - 1.0kestrelos20PC7");
  EXPECT_EQ(container_.Count(), 1u);
  ASSERT_TRUE(container_.FindUserPassword(user_, password_, "northwindsales - 1.0kestrelos20pc7"));
  EXPECT_EQ(user_, "ben");
  EXPECT_EQ(password_, "a much longer second password than the first");

  // Case is folded beyond ASCII; other letters still differ.
  container_.AddEntry("carl", "short", "ÄRGERÖL");
  container_.AddEntry("dora", "shorter", "ärgeröl");
  EXPECT_EQ(container_.Count(), 2u);
  ASSERT_TRUE(container_.FindUserPassword(user_, password_, "ÄrgerÖl"));
  EXPECT_EQ(user_, "dora");
  EXPECT_EQ(password_, "shorter");
  EXPECT_FALSE(container_.FindUserPassword(user_, password_, "argerol"));
}

TEST(PasswordWipe, TheWholeBufferIsZeroedAndTheTextEmptied) {
  for (const size_t length : {size_t(3), size_t(64)}) {  // in the object and on the heap
    std::string text(length, 'p');
    text.resize(1);  // the characters beyond the size are wiped as well
    const char* data = text.data();
    const size_t capacity = text.capacity();
    WipeText(text);
    EXPECT_EQ(text, "");
    ASSERT_EQ(text.data(), data);  // the buffer is still this text's own
    EXPECT_TRUE(std::all_of(data, data + capacity, [](char c) { return c == 0; }))
        << "length " << length;
  }
}

}  // namespace
