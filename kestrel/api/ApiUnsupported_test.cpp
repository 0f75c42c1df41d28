// The functions of the next version answer "not supported" (or nothing) and never crash,
// whatever handles they are given.
#include "kestrel/api/TestSupport.h"

namespace kestrel::test {
namespace {

using ApiUnsupportedTest = ApiTest;

TEST_F(ApiUnsupportedTest, CursorAndSignalFunctionsAnswerNotSupported) {
  ASSERT_NE(Connect(), 0u);
  ASSERT_EQ(CreateDb("Shop"), KS_OK);
  const KSHandle session = Logon("Shop");
  const KSHandle root = KSGetRootTrn(session);
  KSField values[2]{};
  int32_t count = 5;
  KSRecordID id = 5;
  for (const KSHandle h : {KSHandle{0}, session, root, KSHandle{0xFFFFFFFF}}) {
    EXPECT_EQ(KSCreateCursor(h, u"Order", nullptr, 0, u"", 0), 0u);
    EXPECT_EQ(KSCreateChildCursor(1, h, u"ordersPV", u"", nullptr, 0, 0), 0u);
    EXPECT_EQ(KSGotoFirst(h), KS_ERR_NOT_SUPPORTED);
    EXPECT_EQ(KSGetNextRecord(h, values), KS_ERR_NOT_SUPPORTED);
    EXPECT_EQ(KSInsertNewRecord(h, values, 2, nullptr, &id), KS_ERR_NOT_SUPPORTED);
    EXPECT_EQ(id, -1);
    EXPECT_EQ(KSGetCurrentRecordID(h), -1);
    EXPECT_EQ(KSCursorIDCompare(h, 1, 2), 0);
    EXPECT_EQ(KSInstanciateSignal(h, u"LowCredit", nullptr, 0, 900, 0), 0u);
    count = 5;
    EXPECT_EQ(KSGetInstanciatedSignals(h, &count, 0), nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(KSGetSignalArgsInfo(h, u"LowCredit", &count), nullptr);
    EXPECT_EQ(KSSuspendSignal(h), KS_ERR_NOT_SUPPORTED);
  }
  EXPECT_EQ(KSGetNewSortHandle(), 0u);
  EXPECT_EQ(KSMakeNewCondition(u"name", 2, values, 0), 0u);
  EXPECT_EQ(KSGetLastCursorError(), KS_ERR_NOT_SUPPORTED);
}

}  // namespace
}  // namespace kestrel::test
