#include "platform/com/OleErrors.h"

#include <gtest/gtest.h>

namespace {

TEST(OleErrors, SysErrorTakesTheCodesTextWhenNoMessageIsGiven) {
  const EOleSysError known({}, E_NOINTERFACE);
  EXPECT_EQ(known.Message(), "No such interface supported");
  EXPECT_EQ(known.ErrorCode(), E_NOINTERFACE);

  const EOleSysError unknown({}, HResultOf(0x8004ABCD));
  EXPECT_EQ(unknown.Message(), "OLE error 8004ABCD");

  const EOleSysError own("it broke", E_FAIL, 12);
  EXPECT_EQ(own.Message(), "it broke");
  EXPECT_EQ(own.HelpContext(), 12);
}

TEST(OleErrors, ClassesAreReachableByName) {
  const EOleException e("bad value", DISP_E_EXCEPTION, "KRObjects", "help.hlp", 7);
  EXPECT_EQ(e.ClassName(), "EOleException");
  EXPECT_TRUE(e.InheritsFrom("EOleSysError"));
  EXPECT_TRUE(e.InheritsFrom("EOleError"));
  EXPECT_TRUE(e.InheritsFrom("Exception"));
  EXPECT_FALSE(EOleSysError({}, E_FAIL).InheritsFrom("EOleException"));
  EXPECT_EQ(e.Source(), "KRObjects");
  EXPECT_EQ(e.HelpFile(), "help.hlp");
  EXPECT_EQ(e.HelpContext(), 7);
  EXPECT_EQ(e.ErrorCode(), DISP_E_EXCEPTION);
}

TEST(OleErrors, OleCheckRaisesOnlyForFailures) {
  EXPECT_EQ(OleCheck(S_OK), S_OK);
  EXPECT_EQ(OleCheck(S_FALSE), S_FALSE);
  try {
    OleCheck(STG_E_MEDIUMFULL);
    ADD_FAILURE() << "no exception";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.ErrorCode(), STG_E_MEDIUMFULL);
    EXPECT_EQ(e.Message(), "There is insufficient disk space to complete operation.");
  }
}

TEST(HResult, LayoutHelpers) {
  static_assert(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_WIN32, 5) == E_ACCESSDENIED);
  static_assert(HRESULT_FROM_WIN32(0x57) == E_INVALIDARG);
  static_assert(HRESULT_FROM_WIN32(0) == S_OK);
  static_assert(SELFREG_E_CLASS == HResultOf(0x80040201));
  EXPECT_TRUE(SUCCEEDED(S_FALSE));
  EXPECT_TRUE(SUCCEEDED(DATA_S_SAMEFORMATETC));
  EXPECT_TRUE(FAILED(E_UNEXPECTED));
  EXPECT_EQ(HRESULT_FACILITY(STG_E_READFAULT), FACILITY_STORAGE);
  EXPECT_EQ(HRESULT_CODE(E_OUTOFMEMORY), 0x0Eu);
  EXPECT_EQ(HRESULT_SEVERITY(S_FALSE), SEVERITY_SUCCESS);
}

}  // namespace
