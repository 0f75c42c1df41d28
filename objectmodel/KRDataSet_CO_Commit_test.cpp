// Commit, rollback, progress and the error list of read-write transactions
// over the scripted Database API (TTransactionTest: root 200, started
// transactions 300, 301, ...). KSCommit answers `commits` by handle and
// KSGetLastErrors the records of `errors`.
#include <gtest/gtest.h>

#include <map>
#include <thread>

#include "objectmodel/KRDataSet_CO_Errors.h"
#include "objectmodel/KRDataSet_CO_Transactions_TestSupport_test.h"
#include "platform/win32/Messages.h"

using namespace kr_session_test;

namespace {

KSErrorRecord ErrorRecord(KSStatus code, int16_t severity) {
  return {kKRNullRecordID, code, severity, 0, kKRNullClassID, -1};
}

// A transaction that is not read-write: it commits nothing and reports no
// progress, but counts among its parent's children.
class TOtherTransaction : public TKRBaseTransactionInterface<> {
 protected:
  void AssignHandle() override {}
  void ReleaseHandle() override {}
};

class CommitTest : public TTransactionTest {
 protected:
  CommitTest() {
    api.On<TKRAPIFunction::KSCommit>(
        [this](KSHandle handle, int32_t, int32_t, KSCommitProgressCallback callback, KSBool) {
          if (progress && callback != nullptr) progress(callback, handle);
          const auto status = commits.find(handle);
          return status != commits.end() ? status->second : KSStatus(KS_OK);
        });
    api.On<TKRAPIFunction::KSGetLastErrors>(
        [this](KSHandle handle, int32_t* count) -> const KSErrorRecord* {
          const auto found = errors.find(handle);
          *count = found != errors.end() ? int32_t(found->second.size()) : 0;
          return *count > 0 ? found->second.data() : nullptr;
        });
    api.On<TKRAPIFunction::KSTransactionSetUserData>([this](KSHandle handle, void* data) {
      userData[handle] = data;
      return KSStatus(KS_OK);
    });
    api.On<TKRAPIFunction::KSTransactionGetUserData>(
        [this](KSHandle handle) { return userData[handle]; });
  }

  // The resource string and severity of a local error.
  static std::pair<int32_t, int32_t> Local(const ComPtr<IKRDBError>& error) {
    const ComPtr<IKRLocalDBError> local = ProxyAs<IKRLocalDBError>(error.Get());
    return local ? std::pair{local->Get_RscStringID(), local->Get_Severity()} : std::pair{0, -1};
  }
  static int32_t CodeOf(const ComPtr<IKRDBError>& error) {
    const ComPtr<IKRServerDBError> server = ProxyAs<IKRServerDBError>(error.Get());
    return server ? server->Get_ErrorCode() : 0;
  }

  std::map<KSHandle, KSStatus> commits;
  std::map<KSHandle, std::vector<KSErrorRecord>> errors;
  std::map<KSHandle, void*> userData;
  std::function<void(KSCommitProgressCallback, KSHandle)> progress;
};

TEST_F(CommitTest, AChildWithErrorsLeavesItsParentUncommittedAndConnected) {
  const auto parent = Child(Root().Get(), u"parent");
  const auto good = Child(parent.Get(), u"good");
  const auto bad = Child(parent.Get(), u"bad");
  for (const auto& t : {parent, good, bad}) ASSERT_TRUE(t->CheckConnected());
  // Its pending changes keep it from refreshing when its sibling commits.
  bad->NotifyDataChange(nullptr, false);
  commits[302] = KS_ERR_COMMIT_ERRORS;
  errors[302] = {ErrorRecord(KS_ERR_REQUIRED_FIELD, 1)};

  EXPECT_EQ(parent->InternalCommit(false), krclErrors);
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSCommit),
            (Calls{"KSCommit(301, 1, 0, null, 0)", "KSCommit(302, 1, 0, null, 0)"}));
  EXPECT_EQ(parent->Get_Handle(), 300u);
  EXPECT_FALSE(good->Get_Connected());
  EXPECT_FALSE(bad->Get_Connected());
  ASSERT_EQ(parent->Get_ErrorCount(), 1);
  EXPECT_EQ(CodeOf(parent->Get_Errors(0)), KS_ERR_REQUIRED_FIELD);
  EXPECT_EQ(parent->Get_CommitProgressPercentage(), 100);
}

TEST_F(CommitTest, AConflictWithoutChildrenRestartsTheTransaction) {
  const auto t = Child(Root().Get(), u"t");
  auto handler = MakeComObject<TRecordingHandler>();
  t->RegisterEventHandler(handler.Get());
  ASSERT_TRUE(t->CheckConnected());
  commits[300] = KS_ERR_COMMIT_CONFLICT;

  EXPECT_FALSE(t->Commit(false, false));
  EXPECT_EQ(handler->Codes(), (std::vector<int32_t>{kKREventBeforeCommit, kKREventErrorCountChange,
                                                    kKREventAfterCommit}));
  ASSERT_EQ(t->Get_ErrorCount(), 1);
  EXPECT_EQ(Local(t->Get_Errors(0)), (std::pair{kKRChangedElsewhere, 1}));
  EXPECT_FALSE(t->Get_OnlyWarnings());
  EXPECT_EQ(t->Get_Handle(), 300u);

  // Restarted: the next refresh neither reconnects nor tells of itself (it
  // only drops the errors); the one after does.
  handler->events.clear();
  t->Refresh();
  EXPECT_EQ(handler->Codes(), std::vector<int32_t>{kKREventErrorCountChange});
  EXPECT_EQ(t->Get_Handle(), 300u);
  EXPECT_EQ(t->Get_ErrorCount(), 0);
  handler->events.clear();
  t->Refresh();
  EXPECT_EQ(handler->Codes(), (std::vector<int32_t>{kKREventBeforeRefresh, kKREventAfterRefresh}));
  EXPECT_EQ(t->Get_Handle(), 301u);
  t->UnregisterEventHandler(handler.Get());
}

TEST_F(CommitTest, AConflictWithAChildUndoesTheChanges) {
  const auto t = Child(Root().Get(), u"t");
  const auto child = Child(t.Get(), u"c");
  ASSERT_TRUE(child->CheckConnected());
  commits[300] = KS_ERR_COMMIT_CONFLICT;
  // Without restart the library reports the conflict as an error record.
  t->Set_RestartOnErrors(false);

  EXPECT_EQ(t->InternalCommit(false), krclErrors);
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSCommit).back(), "KSCommit(300, 0, 0, null, 0)");
  ASSERT_EQ(t->Get_ErrorCount(), 2);
  EXPECT_EQ(Local(t->Get_Errors(0)), (std::pair{kKRChangedElsewhere, 1}));
  EXPECT_EQ(Local(t->Get_Errors(1)), (std::pair{kKRModificationsUndone, 0}));
  EXPECT_FALSE(t->Get_Connected());

  // A conflict the library lists itself needs no text of its own.
  const auto lone = Child(Root().Get(), u"lone");
  ASSERT_EQ(lone->Get_Handle(), 302u);
  errors[302] = {ErrorRecord(KS_ERR_COMMIT_CONFLICT, 1)};
  commits[302] = KS_ERR_COMMIT_CONFLICT;
  EXPECT_EQ(lone->InternalCommit(false), krclRestarted);
  ASSERT_EQ(lone->Get_ErrorCount(), 1);
  EXPECT_EQ(CodeOf(lone->Get_Errors(0)), KS_ERR_COMMIT_CONFLICT);
}

TEST_F(CommitTest, WarningsCommitAndTellTheSiblings) {
  const auto parent = Child(Root().Get(), u"parent");
  const auto t = Child(parent.Get(), u"t");
  const auto sibling = Child(parent.Get(), u"s");
  sibling->Set_CanCommit(false);
  auto siblingEvents = MakeComObject<TRecordingHandler>();
  sibling->RegisterEventHandler(siblingEvents.Get());
  ASSERT_TRUE(t->CheckConnected());
  ASSERT_TRUE(sibling->CheckConnected());
  commits[301] = KS_COMMITTED_WITH_WARNINGS;
  errors[301] = {ErrorRecord(KS_WARN_TEXT_TOO_LONG, 0)};

  EXPECT_TRUE(t->Commit(false, false));
  EXPECT_FALSE(t->Get_Connected());
  EXPECT_EQ(siblingEvents->Codes().back(), kKREventUpdatesAvailable);
  sibling->UnregisterEventHandler(siblingEvents.Get());

  // A read-only transaction, or one that cannot commit, is rolled back.
  t->Set_ReadOnly(true);
  const KSHandle readOnly = t->Get_Handle();
  api.ClearCalls();
  EXPECT_EQ(t->InternalCommit(false), krclCommitted);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSCommit), 0);
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSRollback).front(),
            "KSRollback(" + std::to_string(readOnly) + ")");
  // Not connected: nothing to do.
  EXPECT_EQ(t->InternalCommit(false), krclCommitted);
}

TEST_F(CommitTest, AVetoedBeforeCommitStillRunsTheAfterCommitHooks) {
  const auto parent = Child(Root().Get(), u"parent");
  const auto child = Child(parent.Get(), u"c");
  ASSERT_TRUE(child->CheckConnected());
  auto parentEvents = MakeComObject<TRecordingHandler>();
  auto childEvents = MakeComObject<TRecordingHandler>();
  parent->RegisterEventHandler(parentEvents.Get());
  child->RegisterEventHandler(childEvents.Get());
  childEvents->answer = [](int32_t event, OleVariant& data) {
    if (event == kKREventBeforeCommit) data = OleVariant(false);
  };

  EXPECT_FALSE(parent->Commit(true, false));
  EXPECT_EQ(childEvents->Codes(),
            (std::vector<int32_t>{kKREventBeforeCommit, kKREventAfterCommit}));
  EXPECT_EQ(parentEvents->Codes(), std::vector<int32_t>{kKREventAfterCommit});
  EXPECT_FALSE(parentEvents->events[0].data.AsBool());
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSCommit), 0);

  // Errors before the commit: it is not tried, and no hook runs.
  childEvents->events.clear();
  parentEvents->events.clear();
  errors[300] = {ErrorRecord(KS_ERR_DUPLICATE_KEY, 1)};
  EXPECT_FALSE(parent->Commit(false, false));
  EXPECT_EQ(parentEvents->Codes(), std::vector<int32_t>{kKREventErrorCountChange});
  EXPECT_TRUE(childEvents->events.empty());
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSCommit), 0);
  parent->UnregisterEventHandler(parentEvents.Get());
  child->UnregisterEventHandler(childEvents.Get());
}

TEST_F(CommitTest, ProgressWeighsTheChildrensAverageNinetyPercent) {
  const auto parent = Child(Root().Get(), u"parent");
  const auto a = Child(parent.Get(), u"a");
  const auto b = Child<TKRScenarioInterface>(parent.Get(), u"b");
  const auto other = MakeComObject<TOtherTransaction>();
  other->Set_Parent(parent.Get());
  other->Set_ParentProxyList(parent->Get_Transactions().Get());
  auto parentEvents = MakeComObject<TRecordingHandler>();
  parent->RegisterEventHandler(parentEvents.Get());

  a->CommitProgressCallback(50, u"half", false);
  b->CommitProgressCallback(70, u"ignored", true);
  EXPECT_EQ(parent->Get_CommitProgressPercentage(), 45);
  EXPECT_EQ(a->Get_CommitProgressText(), u"half");
  EXPECT_EQ(b->Get_CommitProgressText(), u"");
  EXPECT_EQ(b->Get_CommitProgressPercentage(), 100);
  ASSERT_EQ(parentEvents->Codes(),
            (std::vector<int32_t>{kKREventCommitProgress, kKREventCommitProgress}));
  EXPECT_EQ(parentEvents->events[1].data.AsInteger(), 45);
  parent->UnregisterEventHandler(parentEvents.Get());
}

TEST_F(CommitTest, ProgressFromTheLibrarysThreadArrivesInOrderOnTheCallersThread) {
  const auto t = Child(Root().Get(), u"t");
  ASSERT_TRUE(t->CheckConnected());
  progress = [](KSCommitProgressCallback callback, KSHandle handle) {
    std::thread worker([&] {
      callback(30, u"records", 0, handle);
      callback(80, u"indexes", 0, handle);
      callback(90, u"", 1, handle);
    });
    worker.join();
  };
  std::vector<std::pair<int32_t, std::thread::id>> seen;
  auto handler = MakeComObject<TRecordingHandler>();
  handler->answer = [&](int32_t event, OleVariant& data) {
    if (event == kKREventCommitProgress) seen.emplace_back(data.AsInteger(), std::this_thread::get_id());
  };
  t->RegisterEventHandler(handler.Get());

  EXPECT_TRUE(t->Commit(false, true));
  const std::vector<std::pair<int32_t, std::thread::id>> expected = {
      {30, std::this_thread::get_id()}, {80, std::this_thread::get_id()},
      {100, std::this_thread::get_id()}};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(t->Get_CommitProgressPercentage(), 100);
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSCommit), Calls{"KSCommit(300, 1, 0, ptr, 1)"});
  // Reports that come after the commit reach nobody.
  const KSCommitProgressCallback callback = &GlobalHandleCommitProgressReception;
  userData[300] = static_cast<IKRProxy*>(t.Get());
  callback(10, u"late", 0, 300);
  ProcessMessages();
  EXPECT_EQ(seen.size(), 3u);
  t->UnregisterEventHandler(handler.Get());
}

TEST_F(CommitTest, ErrorsAreListedChildrenFirstAndCountedUpTheTree) {
  const auto parent = Child(Root().Get(), u"parent");
  const auto child = Child(parent.Get(), u"c");
  ASSERT_TRUE(child->CheckConnected());
  errors[301] = {ErrorRecord(KS_WARN_NOT_IN_VALUE_LIST, 0)};
  errors[300] = {ErrorRecord(KS_ERR_REQUIRED_FIELD, 1), ErrorRecord(KS_WARN_TEXT_TOO_LONG, 0)};
  auto parentEvents = MakeComObject<TRecordingHandler>();
  parent->RegisterEventHandler(parentEvents.Get());

  EXPECT_TRUE(parent->RefreshErrors(true));
  ASSERT_EQ(parent->Get_ErrorCount(), 3);
  EXPECT_EQ(CodeOf(parent->Get_Errors(0)), KS_WARN_NOT_IN_VALUE_LIST);
  EXPECT_EQ(CodeOf(parent->Get_Errors(1)), KS_ERR_REQUIRED_FIELD);
  EXPECT_EQ(CodeOf(parent->Get_Errors(2)), KS_WARN_TEXT_TOO_LONG);
  EXPECT_FALSE(parent->Get_Errors(3));
  EXPECT_FALSE(parent->Get_Errors(-1));
  EXPECT_FALSE(parent->Get_OnlyWarnings());
  EXPECT_TRUE(child->Get_OnlyWarnings());
  EXPECT_EQ(parentEvents->Codes(), std::vector<int32_t>{kKREventErrorCountChange});
  // The same number again is no change.
  EXPECT_FALSE(parent->RefreshErrors(true));
  EXPECT_EQ(parentEvents->events.size(), 1u);

  // A child's change of count reaches a read-write parent that is not persistent.
  child->AddError(10401, 1, OleVariant(), true);
  EXPECT_EQ(parentEvents->events.size(), 2u);
  const auto scenario = Child<TKRScenarioInterface>(Root().Get(), u"S");
  const auto below = Child(scenario.Get(), u"b");
  auto scenarioEvents = MakeComObject<TRecordingHandler>();
  scenario->RegisterEventHandler(scenarioEvents.Get());
  below->AddError(10401, 1, OleVariant(), true);
  EXPECT_TRUE(scenarioEvents->events.empty());

  EXPECT_TRUE(parent->ClearErrors(true));
  EXPECT_EQ(parent->Get_ErrorCount(), 0);
  EXPECT_FALSE(parent->ClearErrors(true));
  // A refresh clears the errors too.
  parent->AddError(10401, 1, OleVariant(), false);
  parent->Refresh();
  EXPECT_EQ(parent->Get_ErrorCount(), 0);
  parent->UnregisterEventHandler(parentEvents.Get());
  scenario->UnregisterEventHandler(scenarioEvents.Get());
}

TEST_F(CommitTest, RollbackMayBeVetoedAndRemovesAScenario) {
  const auto t = Child(Root().Get(), u"t");
  auto handler = MakeComObject<TRecordingHandler>();
  t->RegisterEventHandler(handler.Get());
  ASSERT_TRUE(t->CheckConnected());
  handler->answer = [](int32_t event, OleVariant& data) {
    if (event == kKREventBeforeRollback) data = OleVariant(false);
  };
  EXPECT_FALSE(t->Rollback(true));
  EXPECT_TRUE(t->Get_Connected());
  EXPECT_EQ(handler->Codes(), (std::vector<int32_t>{kKREventBeforeRollback, kKREventAfterRollback}));

  handler->answer = nullptr;
  handler->events.clear();
  EXPECT_TRUE(t->Rollback(true));
  EXPECT_EQ(handler->Codes(), (std::vector<int32_t>{kKREventBeforeRollback, kKREventBeforeRefresh,
                                                    kKREventAfterRefresh, kKREventAfterRollback}));
  EXPECT_EQ(t->Get_Handle(), 301u);
  t->UnregisterEventHandler(handler.Get());

  // A scenario is really rolled back, and stays persistent.
  const auto scenario = Child<TKRScenarioInterface>(Root().Get(), u"S");
  ASSERT_EQ(scenario->Get_Handle(), 302u);
  api.ClearCalls();
  EXPECT_TRUE(scenario->Rollback(false));
  EXPECT_EQ(api.Calls(), (Calls{"KSRollback(302)", "KSReleaseTransaction(302)"}));
  EXPECT_TRUE(scenario->Get_Persistent());
  EXPECT_FALSE(scenario->Get_Connected());
}

TEST_F(CommitTest, DataOperationsTellOfTheChangeOnlyWhenTheLibraryDidIt) {
  api.On<TKRAPIFunction::KSGetClassName>(
      [](KSHandle, KSClassID id) { return id == 4 ? u"Customer" : nullptr; });
  KSStatus status = KS_OK;
  api.On<TKRAPIFunction::KSCreateNewLink>(
      [&](KSHandle, KSRecordID, TKRAPIString, KSRecordID) { return status; });
  api.On<TKRAPIFunction::KSDestroyLink>(
      [&](KSHandle, KSRecordID, TKRAPIString, KSRecordID) { return status; });
  api.On<TKRAPIFunction::KSDestroyAll>([&](KSHandle, TKRAPIString, KSHandle, int32_t* count) {
    *count = 3;
    return status;
  });
  const auto t = Child(Root().Get(), u"t");
  auto handler = MakeComObject<TRecordingHandler>();
  t->RegisterEventHandler(handler.Get());
  // Not connected: nothing is asked.
  t->CreateNNLink(u"ordersPV", 1, 2);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSCreateNewLink), 0);

  ASSERT_TRUE(t->CheckConnected());
  t->AddError(10401, 1, OleVariant(), false);
  t->CreateNNLink(u"ordersPV", 1, 2);
  EXPECT_EQ(t->Get_ErrorCount(), 0);
  status = KS_ERR_NOT_LINKED;
  t->DestroyNNLink(u"ordersPV", 1, 3);
  t->DeleteAllRecords(4);
  status = KS_OK;
  t->DeleteAllRecords(kKRNullClassID);
  t->DeleteAllRecords(5);
  t->DeleteAllRecords(4);
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSCreateNewLink),
            Calls{R"(KSCreateNewLink(300, 1, "ordersPV", 2))"});
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSDestroyLink),
            Calls{R"(KSDestroyLink(300, 1, "ordersPV", 3))"});
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSDestroyAll),
            (Calls{R"(KSDestroyAll(300, "Customer", 0, ptr))", R"(KSDestroyAll(300, "Customer", 0, ptr))"}));
  int32_t changes = 0;
  for (int32_t code : handler->Codes()) changes += code == kKREventDataChange;
  EXPECT_EQ(changes, 2);

  // Read-only: nothing is asked.
  t->Set_ReadOnly(true);
  ASSERT_TRUE(t->CheckConnected());
  api.ClearCalls();
  t->CreateNNLink(u"ordersPV", 1, 2);
  t->DeleteAllRecords(4);
  EXPECT_EQ(api.Calls(), Calls{});
  t->UnregisterEventHandler(handler.Get());
}

}  // namespace
