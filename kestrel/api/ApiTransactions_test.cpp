// Transactions through the C functions: nesting, isolation, commit and rollback, conflicts,
// read-only starts, commit progress, scenarios and locks.
#include <atomic>
#include <mutex>
#include <thread>

#include "kestrel/api/TestSupport.h"

namespace kestrel::test {
namespace {

using ApiTransactionTest = ShopTest;

TEST_F(ApiTransactionTest, NestedChangesStayInTheirTransactionUntilCommittedAndRollbackDropsThem) {
  const KSHandle outer = Start(root_);
  const KSHandle inner = Start(outer);
  const KSHandle sibling = Start(root_);
  ASSERT_NE(inner, 0u);
  ASSERT_EQ(SetInt(inner, 3, u"stock", KS_TYPE_INTEGER, 9), KS_OK);
  EXPECT_EQ(Int(inner, 3, u"stock"), 9);
  EXPECT_EQ(Int(outer, 3, u"stock"), 5) << "the parent does not see the child's changes";
  EXPECT_EQ(Int(sibling, 3, u"stock"), 5);

  ASSERT_EQ(KSCommit(inner, 0, 0, nullptr, 0), KS_OK);
  EXPECT_EQ(Int(outer, 3, u"stock"), 9);
  EXPECT_EQ(Int(inner, 3, u"stock"), 9) << "the child goes on over the parent's new state";
  EXPECT_EQ(Int(root_, 3, u"stock"), 5) << "not yet in the database";

  ASSERT_EQ(SetText(inner, 4, u"name", u"Desk"), KS_OK);
  ASSERT_EQ(KSRollback(inner), KS_OK);
  EXPECT_EQ(Text(inner, 4, u"name"), "Table");

  ASSERT_EQ(KSCommit(outer, 0, 0, nullptr, 0), KS_OK);
  EXPECT_EQ(Int(root_, 3, u"stock"), 9);
  EXPECT_EQ(Int(sibling, 3, u"stock"), 9) << "a sibling sees what reached the database";
  const KSHandle other = Logon("Shop", "system", "", "", "Shop", "1.0");
  EXPECT_EQ(Int(KSGetRootTrn(other), 3, u"stock"), 9) << "another session sees the commit";

  ASSERT_EQ(SetInt(sibling, 4, u"stock", KS_TYPE_INTEGER, 1), KS_OK);
  ASSERT_EQ(KSRollback(sibling), KS_OK);
  EXPECT_EQ(KSCommit(sibling, 0, 0, nullptr, 0), KS_OK) << "nothing left to commit";
  EXPECT_EQ(Int(root_, 4, u"stock"), 2);
}

TEST_F(ApiTransactionTest, ACommitIsRefusedOnAConflictAndRestartsWhenAsked) {
  const KSHandle first = Start(root_);
  const KSHandle second = Start(root_);
  ASSERT_EQ(SetInt(first, 3, u"stock", KS_TYPE_INTEGER, 7), KS_OK);
  ASSERT_EQ(SetInt(second, 3, u"stock", KS_TYPE_INTEGER, 8), KS_OK);
  ASSERT_EQ(SetInt(second, 4, u"stock", KS_TYPE_INTEGER, 8), KS_OK);
  ASSERT_EQ(KSCommit(first, 0, 0, nullptr, 0), KS_OK);

  EXPECT_EQ(KSCommit(second, 0, 0, nullptr, 0), KS_ERR_COMMIT_CONFLICT);
  EXPECT_EQ(Errors(second), (std::vector<std::pair<int32_t, int16_t>>{{KS_ERR_COMMIT_CONFLICT, 1}}));
  EXPECT_EQ(Int(second, 4, u"stock"), 8) << "without restart the changes are kept";
  EXPECT_EQ(Int(root_, 4, u"stock"), 2) << "and nothing was committed";

  EXPECT_EQ(KSCommit(second, 1, 0, nullptr, 0), KS_ERR_COMMIT_CONFLICT);
  EXPECT_TRUE(Errors(second).empty());
  EXPECT_EQ(Int(second, 3, u"stock"), 7) << "restarted over the new state";
  EXPECT_EQ(Int(second, 4, u"stock"), 2);
  ASSERT_EQ(SetInt(second, 3, u"stock", KS_TYPE_INTEGER, 6), KS_OK);
  EXPECT_EQ(KSCommit(second, 0, 0, nullptr, 0), KS_OK) << "the restarted transaction commits";
  EXPECT_EQ(Int(root_, 3, u"stock"), 6);
}

TEST_F(ApiTransactionTest, AChangeBetweenReadAndWriteConflictsAndUnrelatedChangesDoNot) {
  const KSHandle reader = Start(root_);
  const KSHandle writer = Start(root_);
  const KSHandle object = KSGetObject(reader, 3);  // first read
  ASSERT_EQ(SetInt(writer, 3, u"stock", KS_TYPE_INTEGER, 1), KS_OK);
  ASSERT_EQ(SetInt(writer, 4, u"stock", KS_TYPE_INTEGER, 1), KS_OK);
  ASSERT_EQ(KSCommit(writer, 0, 0, nullptr, 0), KS_OK);
  KSField value{};
  value.type = KS_TYPE_INTEGER;
  value.value.asInteger = 3;
  value.name = u"stock";
  ASSERT_EQ(KSSetValues(object, &value, 1), KS_OK);
  EXPECT_EQ(KSCommit(reader, 0, 0, nullptr, 0), KS_ERR_COMMIT_CONFLICT);
  ASSERT_EQ(KSRollback(reader), KS_OK);
  ASSERT_EQ(SetText(reader, 6, u"label", u"old"), KS_OK);
  EXPECT_EQ(KSCommit(reader, 0, 0, nullptr, 0), KS_OK);
}

TEST_F(ApiTransactionTest, ReadOnlyTransactionsRefuseChangesAndTheirChildrenAreGrantedReadOnly) {
  EXPECT_EQ(SetInt(root_, 3, u"stock", KS_TYPE_INTEGER, 1), KS_ERR_READ_ONLY)
      << "the root changes nothing itself";
  EXPECT_EQ(KSCommit(root_, 0, 0, nullptr, 0), KS_ERR_READ_ONLY);
  EXPECT_EQ(KSRollback(root_), KS_ERR_READ_ONLY);
  const KSHandle readOnly = Start(root_, 0x600);
  ASSERT_NE(readOnly, 0u);
  EXPECT_EQ(KSGetStartTransactionError(readOnly), KS_OK) << "read-only was asked for";
  EXPECT_EQ(SetInt(readOnly, 3, u"stock", KS_TYPE_INTEGER, 1), KS_ERR_READ_ONLY);
  EXPECT_EQ(Int(readOnly, 3, u"stock"), 5) << "reading works";
  int32_t count = -1;
  EXPECT_EQ(KSDestroyAll(readOnly, u"Tag", 0, &count), KS_ERR_READ_ONLY);
  EXPECT_EQ(KSCreateNewLink(readOnly, 6, u"taggedPV", 3), KS_ERR_READ_ONLY);
  EXPECT_EQ(KSLockDatabase(readOnly, 0, 1), KS_ERR_READ_ONLY);

  const KSHandle child = Start(readOnly, 0x800);
  ASSERT_NE(child, 0u);
  EXPECT_EQ(KSGetStartTransactionError(child), KS_READ_ONLY_GRANTED);
  EXPECT_EQ(SetInt(child, 3, u"stock", KS_TYPE_INTEGER, 1), KS_ERR_READ_ONLY);
  const KSHandle readWrite = Start(root_, 0x800);
  EXPECT_EQ(KSGetStartTransactionError(readWrite), KS_OK);
}

TEST_F(ApiTransactionTest, BadCreationFlagsFailAndTheParentTellsWhy) {
  for (const int32_t flags : {0x4000, 0x1000, 0x300, 0xC00, 0x3100}) {
    EXPECT_EQ(Start(root_, flags), 0u) << flags;
    EXPECT_EQ(KSGetStartTransactionError(root_), KS_ERR_INVALID_ARGUMENT) << flags;
  }
  const KSHandle plain = Start(root_);
  EXPECT_EQ(Start(plain, 0x100, "Plan"), 0u) << "no scenario over changes that may vanish";
  EXPECT_EQ(KSGetStartTransactionError(plain), KS_ERR_INVALID_ARGUMENT);
  EXPECT_NE(Start(plain), 0u);
  EXPECT_EQ(KSGetStartTransactionError(plain), KS_OK);
  EXPECT_EQ(Start(root_, 0x100, "Root"), 0u);
}

struct Report {
  int32_t percentage;
  std::string text;
  bool finished;
  std::thread::id thread;
  void* userData;
};

std::mutex reportsMutex;
std::vector<Report> reports;

void RecordProgress(int32_t percentage, const char16_t* text, KSBool finished, KSHandle t) {
  // Calls back into the library, as the object model does, while the commit waits.
  void* userData = KSTransactionGetUserData(t);
  std::lock_guard lock(reportsMutex);
  reports.push_back({percentage, N(text), finished != 0, std::this_thread::get_id(), userData});
}

TEST_F(ApiTransactionTest, ProgressArrivesOnAnotherThreadInOrderAndTheCallbackMayCallTheLibrary) {
  reports.clear();
  const KSHandle t = Start(root_);
  int marker = 0;
  ASSERT_EQ(KSTransactionSetUserData(t, &marker), KS_OK);
  for (const KSRecordID id : {3, 4}) ASSERT_EQ(SetInt(t, id, u"stock", KS_TYPE_INTEGER, 1), KS_OK);
  ASSERT_EQ(KSCommit(t, 0, 0, RecordProgress, 1), KS_OK);
  ASSERT_GE(reports.size(), 2u);
  for (size_t i = 0; i < reports.size(); ++i) {
    EXPECT_NE(reports[i].thread, std::this_thread::get_id());
    EXPECT_EQ(reports[i].userData, &marker);
    EXPECT_EQ(reports[i].finished, i + 1 == reports.size());
    if (i > 0) {
      EXPECT_GE(reports[i].percentage, reports[i - 1].percentage);
    }
  }
  EXPECT_EQ(reports.back().percentage, 100);

  reports.clear();
  ASSERT_EQ(SetText(t, 3, u"name", u""), KS_OK);
  EXPECT_EQ(KSCommit(t, 0, 0, RecordProgress, 1), KS_ERR_COMMIT_ERRORS);
  ASSERT_FALSE(reports.empty());
  EXPECT_TRUE(reports.back().finished) << "a failed commit ends its reports too";
  reports.clear();
  EXPECT_EQ(KSCommit(t, 0, 0, RecordProgress, 0), KS_ERR_COMMIT_ERRORS);
  EXPECT_TRUE(reports.empty()) << "the flag 0 asks for no reports";
}

void ChangeFromCallback(int32_t, const char16_t*, KSBool finished, KSHandle t) {
  if (finished != 0) return;
  auto* target = static_cast<KSHandle*>(KSTransactionGetUserData(t));
  const KSHandle object = KSGetObject(*target, 4);
  KSField value{};
  value.type = KS_TYPE_INTEGER;
  value.value.asInteger = 42;
  value.name = u"stock";
  std::lock_guard lock(reportsMutex);
  reports.push_back({KSSetValues(object, &value, 1), "", false, {}, nullptr});
  reports.push_back({KSReleaseTransaction(*target), "", false, {}, nullptr});
  KSReleaseObject(object);
}

TEST_F(ApiTransactionTest, ChangesFromAProgressCallbackWaitForTheCommitToEnd) {
  if (daemon_ != 0) GTEST_SKIP() << "through a daemon, reports reach the callback after the commit's work";
  reports.clear();
  const KSHandle t = Start(root_);
  KSHandle other = Start(root_);
  ASSERT_EQ(KSTransactionSetUserData(t, &other), KS_OK);
  ASSERT_EQ(SetInt(t, 3, u"stock", KS_TYPE_INTEGER, 1), KS_OK);
  ASSERT_EQ(KSCommit(t, 0, 0, ChangeFromCallback, 1), KS_OK);
  ASSERT_GE(reports.size(), 2u);
  EXPECT_EQ(reports[0].percentage, KS_ERR_TRANSACTION_BUSY);
  EXPECT_EQ(reports[1].percentage, KS_ERR_TRANSACTION_BUSY);
  EXPECT_EQ(Int(other, 4, u"stock"), 2);
}

TEST_F(ApiTransactionTest, AScenarioSurvivesReleaseSaveAndReloadAndServesAsASessionRoot) {
  const KSHandle scenario = Start(root_, 0x100 | 0x400, "Budget");
  ASSERT_NE(scenario, 0u);
  ASSERT_EQ(KSSetDescription(scenario, u"Next year"), KS_OK);
  const KSHandle work = Start(scenario);
  ASSERT_EQ(SetInt(work, 3, u"stock", KS_TYPE_INTEGER, 50), KS_OK);
  ASSERT_EQ(KSCommit(work, 0, 0, nullptr, 0), KS_OK);
  EXPECT_EQ(Int(scenario, 3, u"stock"), 50);
  EXPECT_EQ(Int(root_, 3, u"stock"), 5) << "the actual plan does not see the scenario";
  ASSERT_EQ(KSReleaseTransaction(scenario), KS_OK);
  EXPECT_EQ(Int(work, 3, u"stock"), -99) << "its children went with the handle";

  ASSERT_EQ(KSReleaseSession(session_), KS_OK);
  ASSERT_EQ(KSShutdownDB(server_, u"Shop"), KS_OK);
  ASSERT_EQ(KSRestoreDBFromArchive(server_, Meta("Shop", "1.0"),
                                   U(ServerDir() + "/databases/Shop.dmp").c_str()),
            KS_OK);
  int32_t count = 0;
  EXPECT_EQ(Strings(KSGetAvailableTransactions(server_, u"Shop", 0, &count), count),
            (std::vector<std::string>{"Root", "Budget"}));

  const KSHandle planned = Logon("Shop", "system", "", "Budget", "Shop", "1.0");
  ASSERT_NE(planned, 0u);
  const KSHandle plannedRoot = KSGetRootTrn(planned);
  EXPECT_EQ(Int(plannedRoot, 3, u"stock"), 50);
  const KSHandle found = KSFindTransaction(planned, u"Budget");
  ASSERT_NE(found, 0u);
  EXPECT_EQ(Int(found, 3, u"stock"), 50);

  // Its row in _DBTransaction, found through the text export.
  const std::string text = home_ + "/shop.txt";
  ASSERT_EQ(KSSaveDBToAsciiFile(server_, u"Shop", U(text).c_str()), KS_OK);
  const std::string exported = ReadFile(text);
  const auto row = exported.find("_DBTransaction\tname=Budget");
  ASSERT_NE(row, std::string::npos) << exported;
  const auto start = exported.rfind("R\t", row) + 2;
  const KSRecordID rowId = std::stoi(exported.substr(start));
  EXPECT_EQ(Text(plannedRoot, rowId, u"Description"), "Next year");
  EXPECT_EQ(Text(plannedRoot, rowId, u"userName"), "system");
  EXPECT_EQ(Int(plannedRoot, rowId, u"isVersion"), 1);
  EXPECT_EQ(Int(plannedRoot, rowId, u"isPrivate"), 0);
  EXPECT_NE(Int(plannedRoot, rowId, u"StartDate"), 0);
  EXPECT_EQ(SetText(Start(plannedRoot), rowId, u"Description", u"x"), KS_ERR_ACCESS_DENIED)
      << "the engine alone writes the rows";

  ASSERT_EQ(KSSetDescription(found, u"Revised"), KS_OK);
  EXPECT_EQ(Text(plannedRoot, rowId, u"Description"), "Revised");
  ASSERT_EQ(KSCommit(found, 0, 0, nullptr, 0), KS_OK) << "the scenario merges into the data";
  const KSHandle actual = Logon("Shop", "system", "", "", "Shop", "1.0");
  EXPECT_EQ(Int(KSGetRootTrn(actual), 3, u"stock"), 50);
  ASSERT_EQ(KSRollback(found), KS_OK) << "removes the scenario";
  EXPECT_EQ(KSFindTransaction(actual, u"Budget"), 0u);
  EXPECT_EQ(Int(KSGetRootTrn(actual), rowId, u"isVersion"), -99) << "and its row";
  EXPECT_EQ(Int(plannedRoot, 3, u"stock"), -99) << "sessions in it lose their view";
}

TEST_F(ApiTransactionTest, ChangesMadeDirectlyInAScenarioAreSavedWithTheDatabase) {
  ASSERT_NE(Start(root_, 0x100, "Plan"), 0u);
  ASSERT_EQ(KSSaveDB(server_, u"Shop"), KS_OK);
  const KSHandle plan = KSFindTransaction(session_, u"Plan");
  ASSERT_EQ(SetInt(plan, 3, u"stock", KS_TYPE_INTEGER, 77), KS_OK);
  ASSERT_EQ(KSReleaseSession(session_), KS_OK);
  ASSERT_EQ(KSShutdownDB(server_, u"Shop"), KS_OK) << "saves what changed since the save";
  ASSERT_EQ(KSRestoreDBFromArchive(server_, Meta("Shop", "1.0"),
                                   U(ServerDir() + "/databases/Shop.dmp").c_str()),
            KS_OK);
  const KSHandle planned = KSGetRootTrn(Logon("Shop", "system", "", "Plan", "Shop", "1.0"));
  EXPECT_EQ(Int(planned, 3, u"stock"), 77);
}

TEST_F(ApiTransactionTest, PrivateAndProtectedScenariosFollowTheirOwner) {
  const std::string text = home_ + "/users.txt";
  ASSERT_EQ(KSSaveDBToAsciiFile(server_, u"Shop", U(text).c_str()), KS_OK);
  std::string withUser = ReadFile(text);
  const std::string system = withUser.substr(withUser.find("SYSUser"));
  // A second user with the same (empty) password as system.
  withUser.insert(withUser.rfind("END\n"),
                  "R\t90\t" + system.substr(0, system.find('\n')).replace(13, 6, "guest") + "\n");
  ASSERT_EQ(CreateDbFromText("Shared", withUser, "Shop", "1.0"), KS_OK);
  const KSHandle owner = Logon("Shared", "system", "", "", "Shop", "1.0");
  const KSHandle guest = Logon("Shared", "guest", "", "", "Shop", "1.0");
  ASSERT_NE(guest, 0u);
  const KSHandle mine = Start(KSGetRootTrn(owner), 0x100 | 0x1000, "Mine");
  const KSHandle kept = Start(KSGetRootTrn(owner), 0x100 | 0x2000, "Kept");
  ASSERT_NE(mine, 0u);
  ASSERT_NE(kept, 0u);
  EXPECT_EQ(KSFindTransaction(guest, u"Mine"), 0u);
  EXPECT_EQ(Logon("Shared", "guest", "", "Mine", "Shop", "1.0"), 0u);
  EXPECT_EQ(KSGetLastSessionError(), KS_ERR_NO_SUCH_TRANSACTION);
  const KSHandle seen = KSFindTransaction(guest, u"Kept");
  ASSERT_NE(seen, 0u);
  EXPECT_EQ(KSGetStartTransactionError(Start(seen)), KS_READ_ONLY_GRANTED);
  EXPECT_EQ(KSSetDescription(seen, u"mine now"), KS_ERR_ACCESS_DENIED);
  EXPECT_EQ(KSRollback(seen), KS_ERR_ACCESS_DENIED);
  EXPECT_EQ(KSGetStartTransactionError(Start(kept)), KS_OK) << "the owner may change it";
}

TEST_F(ApiTransactionTest, ALockRefusesChangesOfOtherSessionsUntilReleased) {
  const KSHandle other = Logon("Shop", "system", "", "", "Shop", "1.0");
  const KSHandle theirs = Start(KSGetRootTrn(other));
  const KSHandle mine = Start(root_);
  ASSERT_EQ(SetInt(theirs, 4, u"stock", KS_TYPE_INTEGER, 3), KS_OK);
  ASSERT_EQ(KSLockTable(mine, 0, 1, u"Item"), KS_OK);
  EXPECT_EQ(KSLockTable(theirs, 0, 1, u"Item"), KS_ERR_LOCKED);
  EXPECT_EQ(KSLockDatabase(theirs, 0, 1), KS_ERR_LOCKED);
  EXPECT_EQ(SetInt(theirs, 3, u"stock", KS_TYPE_INTEGER, 3), KS_ERR_LOCKED);
  EXPECT_EQ(KSCommit(theirs, 0, 0, nullptr, 0), KS_ERR_LOCKED);
  EXPECT_EQ(SetText(theirs, 6, u"label", u"other class"), KS_OK);
  EXPECT_EQ(SetInt(Start(root_), 3, u"stock", KS_TYPE_INTEGER, 4), KS_OK) << "same session";
  EXPECT_EQ(KSLockTable(mine, 0, 7, u"Item"), KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(KSLockTable(mine, 0, 1, u"Nothing"), KS_ERR_NO_SUCH_CLASS);
  ASSERT_EQ(KSLockTable(mine, 0, 0, u"Item"), KS_OK);
  EXPECT_EQ(KSCommit(theirs, 0, 0, nullptr, 0), KS_OK);
  ASSERT_EQ(KSLockDatabase(mine, 0, 1), KS_OK);
  EXPECT_EQ(SetText(theirs, 6, u"label", u"again"), KS_ERR_LOCKED);
  ASSERT_EQ(KSReleaseTransaction(mine), KS_OK) << "releasing the holder frees the lock";
  EXPECT_EQ(SetText(theirs, 6, u"label", u"again"), KS_OK);
}

}  // namespace
}  // namespace kestrel::test
