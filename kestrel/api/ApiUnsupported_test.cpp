// The functions of the next version answer "not supported" (or nothing) and never crash,
// whatever handles they are given.
#include "kestrel/api/TestSupport.h"

namespace kestrel::test {
namespace {

using ApiUnsupportedTest = ApiTest;

TEST_F(ApiUnsupportedTest, TransactionCursorObjectAndSignalFunctionsAnswerNotSupported) {
  ASSERT_NE(Connect(), 0u);
  ASSERT_EQ(CreateDb("Shop"), KS_OK);
  const KSHandle session = Logon("Shop");
  const KSHandle root = KSGetRootTrn(session);
  KSField values[2]{};
  int32_t count = 5;
  KSRecordID id = 5;
  for (const KSHandle h : {KSHandle{0}, session, root, KSHandle{0xFFFFFFFF}}) {
    EXPECT_EQ(KSStartTransaction(h, 0x800, u"t"), 0u);
    EXPECT_EQ(KSGetStartTransactionError(h), KS_ERR_NOT_SUPPORTED);
    EXPECT_EQ(KSFindTransaction(h, u"t"), 0u);
    EXPECT_EQ(KSReleaseTransaction(h), KS_ERR_NOT_SUPPORTED);
    EXPECT_EQ(KSRollback(h), KS_ERR_NOT_SUPPORTED);
    EXPECT_EQ(KSCommit(h, 0, 0, nullptr, 0), KS_ERR_NOT_SUPPORTED);
    EXPECT_EQ(KSSetDescription(h, u"d"), KS_ERR_NOT_SUPPORTED);
    EXPECT_EQ(KSGetLastErrors(h, &count), nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(KSLockDatabase(h, 0, 1), KS_ERR_NOT_SUPPORTED);
    EXPECT_EQ(KSLockTable(h, 0, 1, u"Order"), KS_ERR_NOT_SUPPORTED);
    EXPECT_EQ(KSCreateNewLink(h, 1, u"f", 2), KS_ERR_NOT_SUPPORTED);
    EXPECT_EQ(KSDestroyLink(h, 1, u"f", 2), KS_ERR_NOT_SUPPORTED);
    count = 5;
    EXPECT_EQ(KSDestroyAll(h, u"Order", 0, &count), KS_ERR_NOT_SUPPORTED);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(KSGetObject(h, 1), 0u);
    EXPECT_EQ(KSGetObjectTable(h), nullptr);
    EXPECT_EQ(KSGetValues(h, nullptr, 0, values), KS_ERR_NOT_SUPPORTED);
    EXPECT_EQ(KSSetValues(h, values, 2), KS_ERR_NOT_SUPPORTED);
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
    EXPECT_EQ(KSSubscribeToTableTriggers(h, u"Order", 7, 1), KS_ERR_NOT_SUPPORTED);
    EXPECT_EQ(KSUnsubscribeToTableTriggers(h, u"Order"), KS_ERR_NOT_SUPPORTED);
  }
  EXPECT_EQ(KSGetNewSortHandle(), 0u);
  EXPECT_EQ(KSMakeNewCondition(u"name", 2, values, 0), 0u);
  EXPECT_EQ(KSGetLastCursorError(), KS_ERR_NOT_SUPPORTED);
}

}  // namespace
}  // namespace kestrel::test
