// The journal through the C functions: a client killed before any save loses no commit, the
// server remembers the journal across restarts, and the refusals.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "kestrel/api/TestSupport.h"
#include "kestrel/engine/Dump.h"

namespace kestrel::test {
namespace {

class ApiJournalCrashTest : public ApiTest {
 protected:
  std::string JournalFile() const { return home_ + "/crash.jnl"; }

  // Runs CommitAndWait with `count` inserts until it waits with an uncommitted change, then
  // kills it. Answers the journal's size after each of its commits.
  std::vector<int64_t> CommitThenKill(int count) {
    FILE* out = nullptr;
    const pid_t child = StartCommitAndWait(JournalFile(), count, out);
    EXPECT_NE(child, 0);
    std::vector<int64_t> sizes;
    bool waiting = false;
    char line[256];
    while (!waiting && std::fgets(line, sizeof line, out) != nullptr) {
      const std::string text = line;
      waiting = text == "waiting\n";
      if (text.rfind("committed ", 0) == 0)
        sizes.push_back(std::stoll(text.substr(10)));
      else if (!waiting)
        ADD_FAILURE() << text;
    }
    EXPECT_TRUE(waiting);
    ::kill(child, SIGKILL);
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    std::fclose(out);
    return sizes;
  }

  // The employees' names in record order, as this process loads the database after the kill.
  std::vector<std::string> Names() {
    EXPECT_NE(Connect(), 0u);
    const KSHandle session = Logon("Crash", "system", "", "", "Hr", "1.0");
    EXPECT_NE(session, 0u);
    const char16_t* fields[] = {u"name"};
    const KSHandle cursor = KSCreateCursor(KSGetRootTrn(session), u"Employee", fields, 1, u"", 0);
    std::vector<std::string> names;
    KSField value{};
    while (KSGetNextRecord(cursor, &value) == KS_OK) names.push_back(N(value.value.asString));
    EXPECT_EQ(KSGetFlags(KSGetRootTrn(session)) & KS_FLAG_JOURNAL_ACTIVE, KS_FLAG_JOURNAL_ACTIVE);
    return names;
  }
};

TEST_F(ApiJournalCrashTest, EveryCommitSurvivesAKillBeforeAnySaveAndNothingElseDoes) {
  const std::vector<int64_t> sizes = CommitThenKill(3);
  ASSERT_EQ(sizes.size(), 5u);
  const std::string archive = ReadFile(ServerDir() + "/databases/Crash.dmp");
  EXPECT_EQ(ReadDumpInfo(archive).recordCount, 1u) << "the archive holds the user system only";
  EXPECT_EQ(Names(), (std::vector<std::string>{"renamed", "employee 3"}));
}

TEST_F(ApiJournalCrashTest, AJournalWhoseLastEntryIsCutInHalfLoadsUpToTheEntryBefore) {
  if (daemon_ != 0) GTEST_SKIP() << "the daemon, not the killed client, holds the database and its journal";
  const std::vector<int64_t> sizes = CommitThenKill(2);
  ASSERT_EQ(sizes.size(), 4u);
  ASSERT_EQ(::truncate(JournalFile().c_str(), (sizes[2] + sizes[3]) / 2), 0);
  EXPECT_EQ(Names(), (std::vector<std::string>{"renamed", "employee 2"}))
      << "the deletion of employee 2 was the torn entry";
}

class ApiJournalTest : public ShopTest {
 protected:
  KSStatus Enable(const std::string& file) {
    return KSEnableJournal(server_, u"Shop", U(file).c_str());
  }
  int32_t Flags() { return KSGetFlags(root_) & KS_FLAG_JOURNAL_ACTIVE; }
};

TEST_F(ApiJournalTest, TheServerRemembersTheJournalAndEverySaveStartsItAfresh) {
  const std::string journal = home_ + "/shop.jnl";
  ASSERT_EQ(Enable(journal), KS_OK);
  EXPECT_EQ(Flags(), KS_FLAG_JOURNAL_ACTIVE);
  const auto empty = std::filesystem::file_size(journal);
  const KSHandle t = Start(root_);
  ASSERT_EQ(SetInt(t, 3, u"stock", KS_TYPE_INTEGER, 11), KS_OK);
  ASSERT_EQ(KSCommit(t, 0, 0, nullptr, 0), KS_OK);
  EXPECT_GT(std::filesystem::file_size(journal), empty);
  EXPECT_NE(ReadFile(ServerDir() + "/server.json").find("\"journal\": \"" + journal + "\""),
            std::string::npos);

  ASSERT_EQ(KSCloseServer(server_), KS_OK);
  EXPECT_EQ(std::filesystem::file_size(journal), empty) << "closing saved the database";
  ASSERT_EQ(std::system((std::string(KESTREL_ADMIN) + " start Test >/dev/null").c_str()), 0);
  ASSERT_NE(Connect(), 0u);
  session_ = Logon("Shop", "system", "", "", "Shop", "1.0");
  root_ = KSGetRootTrn(session_);
  EXPECT_EQ(Flags(), KS_FLAG_JOURNAL_ACTIVE) << "the journal is on after the restart";
  EXPECT_EQ(Int(root_, 3, u"stock"), 11);
}

TEST_F(ApiJournalTest, DisablingSavesWhatTheJournalHeld) {
  ASSERT_EQ(Enable(home_ + "/shop.jnl"), KS_OK);
  const KSHandle t = Start(root_);
  ASSERT_EQ(SetInt(t, 4, u"stock", KS_TYPE_INTEGER, 9), KS_OK);
  ASSERT_EQ(KSCommit(t, 0, 0, nullptr, 0), KS_OK);
  ASSERT_EQ(KSDisableJournal(server_, u"Shop", nullptr), KS_OK);
  EXPECT_EQ(Flags(), 0);
  EXPECT_EQ(KSDisableJournal(server_, u"Shop", nullptr), KS_OK) << "off already";
  EXPECT_EQ(ReadFile(ServerDir() + "/server.json").find("journal"), std::string::npos);
  ASSERT_EQ(KSDestroyDB(server_, u"Shop"), KS_OK) << "offline without saving";
  ASSERT_EQ(KSRestoreDBFromArchive(server_, Meta("Shop", "1.0"),
                                   U(ServerDir() + "/databases/Shop.dmp").c_str()),
            KS_OK);
  EXPECT_EQ(Int(KSGetRootTrn(Logon("Shop", "system", "", "", "Shop", "1.0")), 4, u"stock"), 9);
}

TEST_F(ApiJournalTest, ARelativeFileIsTakenFromTheWorkingDirectory) {
  if (daemon_ != 0) GTEST_SKIP() << "a relative file is taken from the daemon's working directory";
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(home_);
  const KSStatus status = Enable("relative.jnl");
  std::filesystem::current_path(cwd);
  ASSERT_EQ(status, KS_OK);
  EXPECT_TRUE(std::filesystem::exists(home_ + "/relative.jnl"));
  EXPECT_EQ(Enable(home_ + "/relative.jnl"), KS_OK) << "the same journal";
}

TEST_F(ApiJournalTest, RefusalsChangeNothing) {
  EXPECT_EQ(KSEnableJournal(server_, u"Missing", u"/tmp/x.jnl"), KS_ERR_NO_SUCH_DATABASE);
  EXPECT_EQ(KSDisableJournal(server_, u"Missing", nullptr), KS_ERR_NO_SUCH_DATABASE);
  EXPECT_EQ(KSEnableJournal(server_, u"Shop", nullptr), KS_ERR_INVALID_ARGUMENT);
  const std::string archive = ServerDir() + "/databases/Shop.dmp";
  const std::string before = ReadFile(archive);
  EXPECT_EQ(Enable(archive), KS_ERR_NOT_A_JOURNAL) << "not over the archive";
  EXPECT_EQ(ReadFile(archive), before);
  EXPECT_EQ(Enable(home_ + "/no/such/dir/shop.jnl"), KS_ERR_WRITE_FAILED);
  EXPECT_EQ(Flags(), 0);
  EXPECT_EQ(KSEnableJournal(0, u"Shop", u"/tmp/x.jnl"), KS_ERR_INVALID_HANDLE);
}

// A save from a commit's progress callback would write half of the commit to the archive, and
// a journal started afresh would then lose the other half.
struct SaveProbe {
  KSHandle server = 0;
  std::u16string journal;
  std::vector<KSStatus> statuses;
};

void SaveFromCallback(int32_t, const char16_t*, KSBool finished, KSHandle t) {
  if (finished != 0) return;
  auto* probe = static_cast<SaveProbe*>(KSTransactionGetUserData(t));
  probe->statuses.push_back(KSSaveDB(probe->server, u"Shop"));
  probe->statuses.push_back(KSEnableJournal(probe->server, u"Shop", probe->journal.c_str()));
}

TEST_F(ApiJournalTest, NoSaveOrJournalChangeInTheMiddleOfACommit) {
  if (daemon_ != 0) GTEST_SKIP() << "through a daemon, reports reach the callback after the commit's work";
  SaveProbe probe{server_, U(home_ + "/never.jnl"), {}};
  const KSHandle t = Start(root_);
  ASSERT_EQ(KSTransactionSetUserData(t, &probe), KS_OK);
  ASSERT_EQ(SetInt(t, 3, u"stock", KS_TYPE_INTEGER, 1), KS_OK);
  ASSERT_EQ(KSCommit(t, 0, 0, SaveFromCallback, 1), KS_OK);
  ASSERT_GE(probe.statuses.size(), 2u);
  for (const KSStatus status : probe.statuses) EXPECT_EQ(status, KS_ERR_TRANSACTION_BUSY);
  EXPECT_FALSE(std::filesystem::exists(home_ + "/never.jnl"));
}

}  // namespace
}  // namespace kestrel::test
