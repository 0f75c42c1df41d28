// Sessions, users and logons through the C functions.
#include "kestrel/api/TestSupport.h"

namespace kestrel::test {
namespace {

class ApiSessionTest : public ApiTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    ASSERT_NE(Connect(), 0u);
    ASSERT_EQ(CreateDb("Shop"), KS_OK);
  }

  std::vector<std::string> Users(KSHandle session, KSBool self, KSBool all) {
    int32_t count = -1;
    const char16_t* const* users = KSGetConnectedUsers(session, self, all, &count);
    return Strings(users, count);
  }
};

TEST_F(ApiSessionTest, LogsOnWithTheRightPasswordOnly) {
  const KSHandle session = Logon("Shop");
  EXPECT_NE(session, 0u);
  EXPECT_EQ(KSGetLastSessionError(), KS_OK);
  EXPECT_NE(Logon("Shop", "SYSTEM"), 0u) << "user names ignore case";
  EXPECT_EQ(Logon("Shop", "system", "wrong"), 0u);
  EXPECT_EQ(KSGetLastSessionError(), KS_ERR_LOGON_FAILED);
  EXPECT_EQ(Logon("Shop", "nobody", ""), 0u);
  EXPECT_EQ(KSGetLastSessionError(), KS_ERR_LOGON_FAILED) << "same answer for an unknown user";
  EXPECT_EQ(Logon("Elsewhere"), 0u);
  EXPECT_EQ(KSGetLastSessionError(), KS_ERR_NO_SUCH_DATABASE);
  EXPECT_EQ(Logon("Shop", "system", "", "", "Sales", "2.0"), 0u)
      << "the database's own schema only";
  EXPECT_EQ(KSGetLastSessionError(), KS_ERR_NO_SUCH_DATABASE);
  EXPECT_EQ(Logon("Shop", "system", "", "No plan"), 0u);
  EXPECT_EQ(KSGetLastSessionError(), KS_ERR_NO_SUCH_TRANSACTION);
  EXPECT_NE(Logon("Shop", "system", "", "Root"), 0u) << "Root is the actual plan";
}

TEST_F(ApiSessionTest, ALogonIsAnUnsavedChangeThatTheNextSaveKeeps) {
  const std::string archive = ServerDir() + "/databases/Shop.dmp";
  const std::string before = ReadFile(archive);
  ASSERT_NE(Logon("Shop"), 0u);
  ASSERT_EQ(KSShutdownDB(server_, u"Shop"), KS_OK);
  EXPECT_NE(ReadFile(archive), before);
  ASSERT_EQ(KSRestoreDBFromArchive(server_, Meta("Sales", "1.0"), U(archive).c_str()), KS_OK);
  const std::string text = home_ + "/shop.txt";
  ASSERT_EQ(KSSaveDBToAsciiFile(server_, u"Shop", U(text).c_str()), KS_OK);
  EXPECT_NE(ReadFile(text).find("lastLogin="), std::string::npos);
}

TEST_F(ApiSessionTest, ListsTheConnectedUsersWithTheirHost) {
  const KSHandle first = Logon("Shop");
  const KSHandle second = Logon("Shop", "System");
  ASSERT_NE(first, 0u);
  ASSERT_NE(second, 0u);
  EXPECT_EQ(Users(first, 1, 1), (std::vector<std::string>{"system (TESTBOX)", "system (TESTBOX)"}));
  EXPECT_EQ(Users(second, 0, 1), std::vector<std::string>{"system (TESTBOX)"});
  ASSERT_EQ(KSReleaseSession(second), KS_OK);
  EXPECT_EQ(Users(first, 1, 1), std::vector<std::string>{"system (TESTBOX)"});
  EXPECT_TRUE(Users(first, 0, 1).empty());
  ASSERT_EQ(CreateDb("Other"), KS_OK);
  ASSERT_NE(Logon("Other"), 0u);
  EXPECT_EQ(Users(first, 1, 1).size(), 1u) << "only sessions of the same database";
}

TEST_F(ApiSessionTest, TheOtherPlansFlagSelectsSessionsOfOtherRootTransactions) {
  ASSERT_EQ(KSShutdownDB(server_, u"Shop"), KS_OK);
  const std::string text = home_ + "/plans.txt";
  ASSERT_EQ(KSRestoreDBFromArchive(server_, Meta("Sales", "1.0"),
                                   U(ServerDir() + "/databases/Shop.dmp").c_str()),
            KS_OK);
  ASSERT_EQ(KSSaveDBToAsciiFile(server_, u"Shop", U(text).c_str()), KS_OK);
  std::string withPlan = ReadFile(text);
  withPlan.insert(withPlan.rfind("END\n"), "T\tPlan\t\t256\t\nT\tSub\tPlan\t256\t\n");
  ASSERT_EQ(CreateDbFromText("Planned", withPlan), KS_OK);
  const KSHandle actual = Logon("Planned");
  const KSHandle planned = Logon("Planned", "system", "", "Plan");
  ASSERT_NE(actual, 0u);
  ASSERT_NE(planned, 0u);
  EXPECT_EQ(Logon("Planned", "system", "", "Sub"), 0u) << "only root transactions";
  EXPECT_EQ(Users(actual, 1, 0).size(), 1u);
  EXPECT_EQ(Users(actual, 1, 1).size(), 2u);
  EXPECT_EQ(Users(planned, 0, 1).size(), 1u);
}

TEST_F(ApiSessionTest, TheRootTransactionLivesAsLongAsItsSession) {
  const KSHandle session = Logon("Shop");
  const KSHandle root = KSGetRootTrn(session);
  ASSERT_NE(root, 0u);
  EXPECT_EQ(KSGetRootTrn(session), root);
  EXPECT_EQ(KSTransactionSetUserData(root, this), KS_OK);
  EXPECT_EQ(KSTransactionGetUserData(root), this);
  EXPECT_EQ(KSGetFlags(root) & KS_FLAG_JOURNAL_ACTIVE, 0);
  const std::string journal = home_ + "/shop.journal";
  ASSERT_EQ(KSEnableJournal(server_, u"Shop", U(journal).c_str()), KS_OK);
  EXPECT_EQ(KSGetFlags(root) & KS_FLAG_JOURNAL_ACTIVE, KS_FLAG_JOURNAL_ACTIVE);
  ASSERT_EQ(KSDisableJournal(server_, u"Shop", U(journal).c_str()), KS_OK);
  EXPECT_EQ(KSGetFlags(root), 0);
  EXPECT_EQ(KSEnableJournal(server_, u"Shop", u"/no/such/dir/j"), KS_ERR_WRITE_FAILED);
  ASSERT_EQ(KSReleaseSession(session), KS_OK);
  EXPECT_EQ(KSTransactionGetUserData(root), nullptr);
  EXPECT_EQ(KSTransactionSetUserData(root, this), KS_ERR_INVALID_HANDLE);
  EXPECT_EQ(KSGetFlags(root), 0);
}

TEST_F(ApiSessionTest, LanguageCodesAreThreeLetters) {
  const KSHandle session = Logon("Shop");
  EXPECT_EQ(KSChangeSessionLanguage(session, u"DEU"), KS_OK);
  EXPECT_EQ(KSChangeSessionLanguage(session, u"enu"), KS_OK);
  for (const char16_t* bad : {u"EN", u"ENGL", u"E1U", u""})
    EXPECT_EQ(KSChangeSessionLanguage(session, bad), KS_ERR_INVALID_LANGUAGE) << N(bad);
  EXPECT_EQ(KSChangeSessionLanguage(session, nullptr), KS_ERR_INVALID_LANGUAGE);
}

TEST_F(ApiSessionTest, ADatabaseTakenOfflineLeavesItsSessionsReleasableOnly) {
  const KSHandle session = Logon("Shop");
  ASSERT_EQ(KSDestroyDB(server_, u"Shop"), KS_OK);
  int32_t count = 9;
  EXPECT_EQ(KSGetConnectedUsers(session, 1, 1, &count), nullptr);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(KSGetClassID(session, u"Party"), -1);
  EXPECT_EQ(KSReleaseSession(session), KS_OK);
}

TEST_F(ApiSessionTest, EverySessionFunctionRefusesBadHandles) {
  const KSHandle session = Logon("Shop");
  const KSHandle stale = Logon("Shop");
  ASSERT_EQ(KSReleaseSession(stale), KS_OK);
  EXPECT_EQ(KSCreateSession(0, u"system", u"", u"Shop", Meta("Sales", "1.0"), nullptr), 0u);
  EXPECT_EQ(KSGetLastSessionError(), KS_ERR_INVALID_HANDLE);
  EXPECT_EQ(KSCreateSession(server_, u"system", u"", u"Shop", server_, nullptr), 0u);
  EXPECT_EQ(KSGetLastSessionError(), KS_ERR_INVALID_HANDLE);
  for (const KSHandle bad : {KSHandle{0}, stale, server_, KSGetRootTrn(session)}) {
    int32_t count = 4;
    EXPECT_EQ(KSReleaseSession(bad), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSSessionSetUserData(bad, this), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSChangeSessionLanguage(bad, u"ENU"), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSGetConnectedUsers(bad, 1, 1, &count), nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(KSGetRootTrn(bad), 0u);
    EXPECT_EQ(KSFormatError(bad, nullptr, 0), nullptr);
  }
  EXPECT_EQ(KSSessionSetUserData(session, this), KS_OK);
}

TEST_F(ApiSessionTest, FormatsErrorRecordsWithWhatTheyConcern) {
  const KSHandle session = Logon("Shop");
  const KSErrorRecord error{12, KS_ERR_DELETE_REFERENCED, 1, 0, KSGetClassID(session, u"Order"), 2};
  EXPECT_EQ(N(KSFormatError(session, &error, 0)), "the record is referenced and cannot be deleted");
  EXPECT_EQ(N(KSFormatError(session, &error, 1)),
            "the record is referenced and cannot be deleted (record 12 of class Order, field "
            "customerP)");
  EXPECT_EQ(KSFormatError(session, nullptr, 1), nullptr);
}

}  // namespace
}  // namespace kestrel::test
