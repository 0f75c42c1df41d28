#include "support/KRUtilFunctions_UNT.h"

#include <gtest/gtest.h>

#include "platform/com/OleErrors.h"
#include "platform/text/FormatSettings.h"

namespace {

KR_DECLARE_EXCEPTION(EQuietStop, EAbort);

TEST(SilentExceptionTest, TheSilentCodeIsSeverityErrorFacility64) {
  EXPECT_EQ(GetSilentExceptionErrorCode(), HResultOf(0x80400000));
  EXPECT_EQ(HRESULT_FACILITY(GetSilentExceptionErrorCode()), 64u);
}

TEST(SilentExceptionTest, ClassesAreComparedByNameAlongTheAncestors) {
  EXPECT_TRUE(IsChildOf(EQuietStop::StaticClass(), "EAbort"));
  EXPECT_TRUE(IsChildOf(EQuietStop::StaticClass(), "equietstop"));
  EXPECT_TRUE(IsChildOf(EQuietStop::StaticClass(), "Exception"));
  EXPECT_FALSE(IsChildOf(EAbort::StaticClass(), "EQuietStop"));
  EXPECT_FALSE(IsChildOf(EConvertError::StaticClass(), "EAbort"));

  // A class of another hierarchy that only shares the name counts too.
  static const ExceptionClass foreignAbort{"EAbort", nullptr};
  static const ExceptionClass foreignChild{"EForeignChild", &foreignAbort};
  EXPECT_TRUE(IsSilentExceptionClass(foreignChild));
  EXPECT_TRUE(IsSilentExceptionClass(EQuietStop::StaticClass()));
  EXPECT_FALSE(IsSilentExceptionClass(EOleSysError::StaticClass()));
}

TEST(SilentExceptionTest, SilentExceptions) {
  EXPECT_TRUE(IsSilentException(EAbort("")));
  EXPECT_TRUE(IsSilentException(EQuietStop("x")));
  EXPECT_TRUE(IsSilentException(EOleSysError("", HResultOf(0x80400000))));
  EXPECT_TRUE(IsSilentException(EOleException("", HResultOf(0x80400000), "src")));
  EXPECT_FALSE(IsSilentException(EOleSysError("", HResultOf(0x80400001))));
  EXPECT_FALSE(IsSilentException(EOleSysError("", E_ABORT)));
  EXPECT_FALSE(IsSilentException(Exception("x")));
  EXPECT_FALSE(IsSilentException(EConvertError("x")));
}

TEST(FloatToStringTest, FixedUpToNineNinetyNineTrillionScientificAbove) {
  EXPECT_EQ(FloatToString(1234.5, 2, true), "1,234.50");
  EXPECT_EQ(FloatToString(1234.5, 2, false), "1234.50");
  EXPECT_EQ(FloatToString(-0.125, 2, false), "-0.13");
  EXPECT_EQ(FloatToString(999000000000000.0, 1, false), "999000000000000.0");
  EXPECT_EQ(FloatToString(999000000000001.0, 2, false), "9.99E+0014");
  EXPECT_EQ(FloatToString(1.5e20, 0, true), "2E+0020");
  FormatSettings().DecimalSeparator = ',';
  FormatSettings().ThousandSeparator = '.';
  EXPECT_EQ(FloatToString(1234.5, 1, true), "1.234,5");
  ResetFormatSettings();
}

}  // namespace
