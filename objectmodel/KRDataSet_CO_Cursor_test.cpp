// The cursor proxy over the scripted Database API (TTransactionTest: the
// plain transaction started as 300). Cursors are made as 500, sort handles
// as 600; the test owner tells the cursor what a table would.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "objectmodel/KRDataSet_CO_Cursor_TestSupport_test.h"
#include "objectmodel/KRDataSet_CO_Transactions_TestSupport_test.h"
#include "platform/text/Utf.h"

using namespace kr_session_test;

namespace {

constexpr KSHandle kCursor = 500;

class CursorTest : public TTransactionTest {
 protected:
  CursorTest() {
    api.On<TKRAPIFunction::KSGetNewSortHandle>([] { return KSHandle(600); });
    api.On<TKRAPIFunction::KSCreateCursor>(
        [this](KSHandle, TKRAPIString, const char16_t* const* names, int32_t count,
               TKRAPIString, KSHandle) {
          fields.assign(names, names + count);
          return created;
        });
    api.On<TKRAPIFunction::KSGetLastCursorError>([this] { return createError; });
    api.On<TKRAPIFunction::KSGetCount>([this](KSHandle) { return rows; });
    api.On<TKRAPIFunction::KSGetLastErrors>(
        [this](KSHandle, int32_t* count) -> const KSErrorRecord* {
          *count = int32_t(errors.size());
          return errors.empty() ? nullptr : errors.data();
        });
    owner.fields = {TTestCursorOwner::Field("name")};
    cursor->Set_Transaction(transaction.Get());
    transaction->RegisterEventHandler(events.Get());
  }
  ~CursorTest() override { transaction->UnregisterEventHandler(events.Get()); }

  int DataChanges() const {
    const std::vector<int32_t> codes = events->Codes();
    return int(std::count(codes.begin(), codes.end(), kKREventDataChange));
  }

  TTestCursorOwner owner;
  ComPtr<TKRTransactionInterface> transaction = Child(Root().Get(), u"t");
  ComPtr<TKRCursorInterface> cursor = TKRCursorInterface::CreateWithOwner(&owner);
  ComPtr<TRecordingHandler> events = MakeComObject<TRecordingHandler>();
  KSHandle created = kCursor;
  KSStatus createError = KS_OK;
  int32_t rows = 3;
  std::vector<KSErrorRecord> errors;
  std::vector<std::u16string> fields;
  KSField values[1] = {};
  int32_t sequence = -1;
};

TEST_F(CursorTest, RecordStepsRunOffTheEndsOnceAndThenAnswerWithoutTheLibrary) {
  int32_t position = -1;
  api.On<TKRAPIFunction::KSGetCurrentRecordPos>([&](KSHandle) { return position; });
  api.On<TKRAPIFunction::KSGotoFirst>([&](KSHandle) {
    position = 0;
    return KSStatus(KS_OK);
  });
  api.On<TKRAPIFunction::KSGetNextRecord>([&](KSHandle, KSField*) {
    return ++position < rows ? KSStatus(KS_OK) : KSStatus(KS_NO_FURTHER_RECORD);
  });

  // Before the first record, the first one is fetched.
  EXPECT_EQ(cursor->GetNextRecord(values, sequence), KS_OK);
  EXPECT_EQ(sequence, 0);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSGotoFirst), 1);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSGetCurrentValues), 1);
  EXPECT_EQ(cursor->GetNextRecord(values, sequence), KS_OK);
  EXPECT_EQ(cursor->GetNextRecord(values, sequence), KS_OK);
  EXPECT_EQ(sequence, 2);
  // The library's "no further record" is the end of the table.
  EXPECT_EQ(cursor->GetNextRecord(values, sequence), KS_END_OF_TABLE);
  EXPECT_EQ(cursor->GetNextRecord(values, sequence), KS_END_OF_TABLE);
  EXPECT_EQ(cursor->GoToNextRecord(), KS_END_OF_TABLE);
  EXPECT_EQ(cursor->GetCurrentRecord(values, sequence), KS_END_OF_TABLE);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSGetNextRecord), 3);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSGotoNext), 0);

  // Back from after the last record: onto the last one.
  api.On<TKRAPIFunction::KSGotoLast>([&](KSHandle) {
    position = rows - 1;
    return KSStatus(KS_OK);
  });
  EXPECT_EQ(cursor->GetPreviousRecord(values, sequence), KS_OK);
  EXPECT_EQ(sequence, 2);
  api.On<TKRAPIFunction::KSGetPreviousRecord>(
      [](KSHandle, KSField*) { return KSStatus(KS_NO_FURTHER_RECORD); });
  EXPECT_EQ(cursor->GetPreviousRecord(values, sequence), KS_BEGIN_OF_TABLE);
  EXPECT_EQ(cursor->GoToPreviousRecord(), KS_BEGIN_OF_TABLE);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSGetPreviousRecord), 1);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSGotoPrevious), 0);
}

TEST_F(CursorTest, ExplicitPositionsDecideWhereTheNextStepGoes) {
  api.On<TKRAPIFunction::KSGotoRecordID>([](KSHandle, KSRecordID id) {
    return id == 7 ? KSStatus(KS_OK) : KSStatus(KS_ERR_NO_SUCH_RECORD);
  });
  EXPECT_EQ(cursor->GoToRecordID(8), KS_ERR_NO_SUCH_RECORD);
  EXPECT_EQ(cursor->GetCurrentRecord(values, sequence), KS_BEGIN_OF_TABLE);
  EXPECT_EQ(cursor->GoToRecordID(7), KS_OK);
  EXPECT_EQ(cursor->GetCurrentRecord(values, sequence), KS_OK);
  EXPECT_EQ(cursor->GoToNextRecord(), KS_OK);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSGotoNext), 1);

  // The ends are set without the library; a step from there moves onto
  // the first or last row.
  api.ClearCalls();
  EXPECT_EQ(cursor->GoToEndOfTable(), KS_OK);
  EXPECT_EQ(cursor->GoToNextRecord(), KS_END_OF_TABLE);
  EXPECT_EQ(cursor->GoToPreviousRecord(), KS_OK);
  EXPECT_EQ(cursor->GoToBeginningOfTable(), KS_OK);
  EXPECT_EQ(cursor->GoToNextRecord(), KS_OK);
  EXPECT_EQ(api.Calls(), (Calls{"KSGotoLast(500)", "KSGotoFirst(500)"}));
}

TEST_F(CursorTest, TheCursorIsMadeWithTheOwnersFieldsIndexFilterSortAndFetchBuffer) {
  owner.indexName = "byName";
  owner.recordCacheSize = 25;
  owner.filter = [] { return KSHandle(77); };
  owner.sortFields = {{"city", true}, {"name", false}};
  owner.distinctFields = {"city"};
  TKRCursorField hidden = TTestCursorOwner::Field("hidden"), udf = TTestCursorOwner::Field("udf"),
                 invisible = TTestCursorOwner::Field("secret"),
                 versionOnly = TTestCursorOwner::Field("draft");
  hidden.Visible = false;
  udf.UserDefined = true;
  invisible.ActualAccess = KS_ACCESS_INVISIBLE;
  versionOnly.VersionAccess = KS_ACCESS_INVISIBLE;
  TKRCursorField undescribed;
  undescribed.Name = "calc";
  owner.fields = {TTestCursorOwner::Field("name"), hidden, udf, invisible, versionOnly,
                  undescribed};

  ASSERT_TRUE(cursor->CheckConnected());
  EXPECT_EQ(cursor->Get_LastError(), KS_OK);
  EXPECT_EQ(fields, (std::vector<std::u16string>{u"name", u"draft"}));
  const Calls calls = api.Calls();
  const Calls expected = {
      "KSGetNewSortHandle()",
      "KSSetFilterCondition(600, 77)",
      "KSReleaseCondition(77)",
      "KSAddSortField(600, \"city\", 1)",
      "KSAddSortField(600, \"name\", 0)",
      "KSAddDistinctField(600, \"city\")",
      "KSCreateCursor(300, \"Customer\", ptr, 2, \"byName\", 600)",
      "KSCursorSetUserData(500, ptr)",
      "KSSetFetchBuffer(500, 25)",
      "KSReleaseSortHandle(600)"};
  ASSERT_GE(calls.size(), expected.size());
  EXPECT_EQ(Calls(calls.end() - expected.size(), calls.end()), expected);
}

TEST_F(CursorTest, FieldListsWithoutReadableFieldsOrWithManyFieldsKeepTheirNames) {
  // In a named root transaction the access in other plans counts.
  TKRCursorField draft = TTestCursorOwner::Field("draft");
  draft.VersionAccess = KS_ACCESS_INVISIBLE;
  owner.fields = {draft};
  tree.session->Set_RootTransactionName(u"Budget");
  ASSERT_TRUE(cursor->CheckConnected());
  EXPECT_EQ(fields, std::vector<std::u16string>{u"id"});

  // More fields than the string ring holds.
  cursor->Disconnect();
  owner.fields.clear();
  std::vector<std::u16string> names;
  for (int i = 0; i < 300; ++i) {
    owner.fields.push_back(TTestCursorOwner::Field("f" + std::to_string(i)));
    names.push_back(u"f" + Utf8ToUtf16(std::to_string(i)));
  }
  ASSERT_TRUE(cursor->CheckConnected());
  EXPECT_EQ(fields, names);
}

TEST_F(CursorTest, ACursorThatCannotBeMadeAnswersNotConnected) {
  created = 0;
  createError = KS_ERR_NO_SUCH_CLASS;
  EXPECT_FALSE(cursor->CheckConnected());
  EXPECT_EQ(cursor->Get_LastError(), KS_ERR_NO_SUCH_CLASS);
  KSRecordID id = 0;
  int32_t deleted = 5;
  EXPECT_EQ(cursor->GetNextRecord(values, sequence), kKRCursorNotConnected);
  EXPECT_EQ(cursor->InsertNewRecord(1, values, id), kKRCursorNotConnected);
  EXPECT_EQ(cursor->DeleteCurrentDataSet(deleted), kKRCursorNotConnected);
  EXPECT_EQ(deleted, 0);
  EXPECT_EQ(cursor->Get_RecordCount(), -1);
  EXPECT_EQ(cursor->CompareIDs(1, 2), 0);

  // Without a table name, or without a table, nothing is asked.
  created = kCursor;
  owner.tableName.clear();
  api.ClearCalls();
  EXPECT_FALSE(cursor->CheckConnected());
  const auto orphan = TKRCursorInterface::CreateWithOwner(nullptr);
  orphan->Set_Transaction(transaction.Get());
  EXPECT_FALSE(orphan->CheckConnected());
  EXPECT_EQ(orphan->Get_LastError(), kKRNoErrorRecord);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSCreateCursor), 0);
  EXPECT_TRUE(orphan->DoBeforeCommit());
}

TEST_F(CursorTest, WritingValuesRecountsAndTellsTheTransaction) {
  owner.recNo = 5;
  EXPECT_EQ(cursor->SetCurrentRecordValues(0, values), KS_OK);
  EXPECT_EQ(cursor->Get_PostedRecordSequence(), 4);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSSetCurrentValues), 0);
  EXPECT_EQ(DataChanges(), 0);

  api.On<TKRAPIFunction::KSGetCurrentRecordPos>([](KSHandle) { return 1; });
  ASSERT_EQ(cursor->GetNextRecord(values, sequence), KS_OK);
  EXPECT_EQ(cursor->Get_RecordCount(), 3);
  rows = 2;
  EXPECT_EQ(cursor->SetCurrentRecordValues(1, values), KS_OK);
  EXPECT_EQ(cursor->Get_RecordCount(), 2);
  EXPECT_EQ(cursor->Get_PostedRecordSequence(), 1);
  EXPECT_EQ(DataChanges(), 1);

  // A change that leaves no row puts the cursor before the first.
  rows = 0;
  EXPECT_EQ(cursor->SetCurrentRecordValues(1, values), KS_OK);
  EXPECT_EQ(cursor->Get_PostedRecordSequence(), -1);
  EXPECT_EQ(cursor->GetCurrentRecord(values, sequence), KS_BEGIN_OF_TABLE);
}

TEST_F(CursorTest, DeletesCountDownAndRefusalsListTheLibrarysErrors) {
  rows = 1;
  ASSERT_EQ(cursor->GetNextRecord(values, sequence), KS_OK);
  EXPECT_EQ(cursor->DeleteCurrentRecord(), KS_OK);
  EXPECT_EQ(cursor->Get_RecordCount(), 0);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSGetCount), 1);
  EXPECT_EQ(cursor->GetCurrentRecord(values, sequence), KS_BEGIN_OF_TABLE);
  EXPECT_EQ(DataChanges(), 1);

  for (const KSStatus refusal : {KS_ERR_DELETE_REFERENCED, KS_ERR_DELETE_REFUSED}) {
    api.On<TKRAPIFunction::KSDeleteCurrentRecord>([=](KSHandle) { return refusal; });
    errors = {{11, refusal, 1, 0, kKRNullClassID, -1}};
    EXPECT_EQ(cursor->DeleteCurrentRecord(), refusal);
    EXPECT_EQ(transaction->Get_ErrorCount(), 1);
  }
  EXPECT_EQ(DataChanges(), 3);
  // Another failure is only answered.
  api.On<TKRAPIFunction::KSDeleteCurrentRecord>([](KSHandle) { return KSStatus(KS_ERR_LOCKED); });
  EXPECT_EQ(cursor->DeleteCurrentRecord(), KS_ERR_LOCKED);
  EXPECT_EQ(DataChanges(), 3);
}

TEST_F(CursorTest, NotificationCanBeSwitchedOffAndARecordOutsideTheRowsIsAChange) {
  KSRecordID id = 0;
  cursor->Set_NotificationEnabled(false);
  EXPECT_EQ(cursor->InsertNewRecord(1, values, id), KS_OK);
  EXPECT_EQ(cursor->DeleteCurrentRecord(), KS_OK);
  EXPECT_EQ(DataChanges(), 0);

  cursor->Set_NotificationEnabled(true);
  api.On<TKRAPIFunction::KSInsertNewRecord>(
      [](KSHandle, const KSField*, int32_t, const char16_t* const*, KSRecordID* newID) {
        *newID = 42;
        return KSStatus(KS_RECORD_NOT_IN_CURSOR);
      });
  EXPECT_EQ(cursor->InsertNewRecord(1, values, id), KS_RECORD_NOT_IN_CURSOR);
  EXPECT_EQ(id, 42);
  EXPECT_EQ(DataChanges(), 1);
  // A refused insert changed nothing.
  api.On<TKRAPIFunction::KSInsertNewRecord>(
      [](KSHandle, const KSField*, int32_t, const char16_t* const*, KSRecordID*) {
        return KSStatus(KS_ERR_DUPLICATE_KEY);
      });
  EXPECT_EQ(cursor->InsertNewRecord(1, values, id), KS_ERR_DUPLICATE_KEY);
  EXPECT_EQ(DataChanges(), 1);
}

TEST_F(CursorTest, CompareIDsOrdersByTheLibrarysAnswer) {
  int32_t answer = 0;
  api.On<TKRAPIFunction::KSCursorIDCompare>([&](KSHandle, KSRecordID, KSRecordID) {
    return answer;
  });
  const std::pair<int32_t, int32_t> cases[] = {{0, 0}, {1, -1}, {2, 0}, {3, 1}};
  for (const auto& [library, expected] : cases) {
    answer = library;
    EXPECT_EQ(cursor->CompareIDs(1, 2), expected) << library;
  }
}

TEST_F(CursorTest, TheTransactionsCommitAsksAndTellsItsCursorsOwners) {
  TTestCursorOwner second;
  const auto other = TKRCursorInterface::CreateWithOwner(&second);
  other->Set_Transaction(transaction.Get());
  ASSERT_TRUE(transaction->CheckConnected());

  // A refusal stops the asking and the commit; the end is told to all.
  owner.agreesToCommit = false;
  EXPECT_FALSE(transaction->Commit(false, false));
  EXPECT_EQ(owner.log, (std::vector<std::string>{"DoBeforeCommit", "DoAfterCommit(false)"}));
  EXPECT_EQ(second.log, std::vector<std::string>{"DoAfterCommit(false)"});
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSCommit), 0);

  owner.agreesToCommit = true;
  owner.log.clear();
  second.log.clear();
  EXPECT_TRUE(transaction->Commit(false, false));
  EXPECT_EQ(second.log, (std::vector<std::string>{"DoBeforeCommit", "DoAfterCommit(true)"}));
  transaction->RemapID(-5, 12);
  EXPECT_EQ(owner.log.back(), "RemapID(-5, 12)");
}

TEST_F(CursorTest, ErrorsFoundBeforeACommitRefreshTheOpenTables) {
  owner.active = true;
  owner.cursor = cursor.Get();
  ASSERT_EQ(cursor->GetNextRecord(values, sequence), KS_OK);
  owner.currentRecordID = 9;
  errors = {{9, KS_ERR_REQUIRED_FIELD, 1, 0, kKRNullClassID, -1}};

  EXPECT_FALSE(transaction->Commit(false, false));
  // The table was not asked to commit; its cursor was made again on the
  // record it stood on, and it showed that record again.
  EXPECT_EQ(owner.log, std::vector<std::string>{"Resync(exact)"});
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSCreateCursor), 2);
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSGotoRecordID), Calls{"KSGotoRecordID(500, 9)"});
  EXPECT_EQ(owner.count, 3);

  // A table whose cursor cannot be made again is closed; an empty one
  // re-reads.
  created = 0;
  cursor->Refresh();
  EXPECT_EQ(owner.log.back(), "Close");
  owner.active = true;
  owner.empty = true;
  cursor->Refresh();
  EXPECT_EQ(owner.log.back(), "Resync");
}

}  // namespace
