#include "objectmodel/KRDataSet_CO_Database.h"

#include <gtest/gtest.h>

#include "objectmodel/KRDataSet_CO_Session_TestSupport_test.h"

using namespace kr_session_test;

namespace {

class DatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override { FinalizeAPIEventReception(); }
  void TearDown() override { FinalizeAPIEventReception(); }

  TTestEnvironment environment;
  TScriptedServer api;
};

TEST_F(DatabaseTest, ConnectingBorrowsTheSchemasHandleAndCreatesAnUnlistedDatabase) {
  TProxyTree listed(u"Northwind");
  EXPECT_EQ(listed.database->Get_Handle(), 10u);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSCreateEmptyDB), 0);

  TProxyTree unlisted(u"Fresh");
  unlisted.database->Set_LocaleID(1031);
  EXPECT_EQ(unlisted.database->Get_Handle(), 10u);
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSCreateEmptyDB),
            (Calls{R"(KSCreateEmptyDB(1, 10, "Fresh", "DEU"))"}));

  // The handle is the schema's: the database never releases it.
  api.ClearCalls();
  unlisted.database->Disconnect();
  EXPECT_TRUE(api.Calls().empty());
  EXPECT_TRUE(unlisted.schema->Get_Connected());
}

TEST_F(DatabaseTest, EachOperationIsOneLibraryCallOnTheServerSchemaAndName) {
  TProxyTree tree;
  IKRDatabase& db = *tree.database;
  struct TCase {
    std::function<void()> operation;
    std::string call;
  };
  const TCase cases[] = {
      {[&] { db.Load(); }, R"(KSRestoreDBFromArchive(1, 10, "Northwind"))"},
      {[&] { db.Save(); }, R"(KSSaveDB(1, "Northwind"))"},
      {[&] { db.Shutdown(); }, R"(KSShutdownDB(1, "Northwind"))"},
      {[&] { db.ShutdownEx(7, true); }, R"(KSShutdownDBEx(1, "Northwind", 7, 1))"},
      {[&] { db.CreateArchive(); }, R"(KSCreateEmptyDB(1, 10, "Northwind", "ENU"))"},
      {[&] { db.DestroyArchive(); }, R"(KSDestroyDB(1, "Northwind"))"},
      {[&] { db.Clone(u"Copy"); }, R"(KSCloneDB(1, "Northwind", "Copy"))"},
      {[&] { db.SaveAsASCII(u"/tmp/n.txt"); },
       R"(KSSaveDBToAsciiFile(1, "Northwind", "/tmp/n.txt"))"},
      {[&] { db.LoadFromASCII(u"/tmp/n.txt"); },
       R"(KSCreateDBFromAsciiFile(1, 10, "Northwind", "/tmp/n.txt"))"},
      {[&] { db.LoadFromRDBMS(u"first", u"second"); },
       R"(KSCreateDBFromRDBMS(1, 10, "second", "first", "Northwind"))"},
      {[&] { db.Set_JournalEnabled(true); }, R"(KSEnableJournal(1, "Northwind", "j.log"))"},
      {[&] { db.Set_JournalEnabled(false); }, R"(KSDisableJournal(1, "Northwind", "j.log"))"},
      {[&] { db.Get_MemoryUsage(); }, R"(KSGetDBMemoryUsage(1, "Northwind"))"},
      {[&] { db.CheckIntegrity(-1); }, R"(KSCheckDatabaseIntegrity(1, "Northwind", -1))"},
  };
  db.Set_JournalFileName(u"j.log");
  ASSERT_TRUE(db.CheckConnected());
  for (const TCase& c : cases) {
    api.ClearCalls();
    c.operation();
    EXPECT_EQ(api.Calls(), (Calls{c.call}));
  }
}

TEST_F(DatabaseTest, OperationsOfADatabaseWhoseSchemaCannotConnectDoNothing) {
  api.On<TKRAPIFunction::KSSearchMeta>(
      [](KSHandle, TKRAPIString, TKRAPIString) { return KSHandle(0); });
  TProxyTree tree;
  IKRDatabase& db = *tree.database;
  api.ClearCalls();
  db.Save();
  db.Shutdown();
  db.CreateArchive();
  EXPECT_EQ(db.Get_MemoryUsage(), 0);
  EXPECT_EQ(db.CheckIntegrity(0), u"");
  EXPECT_FALSE(db.Get_Transactions());
  for (const std::string& call : api.Calls()) {
    EXPECT_EQ(call.find("Northwind"), std::string::npos) << call;
  }
}

TEST_F(DatabaseTest, ResultsAndTransactionListingsComeFromTheLibrary) {
  const char16_t* all[] = {u"Root", u"Budget", u"Root", u"Draft"};
  api.On<TKRAPIFunction::KSGetAvailableTransactions>(
      [&](KSHandle, TKRAPIString, KSBool rootOnly, int32_t* count) {
        *count = rootOnly ? 3 : 4;
        return all;
      });
  api.On<TKRAPIFunction::KSGetDBMemoryUsage>([](KSHandle, TKRAPIString) { return 4096; });
  api.On<TKRAPIFunction::KSCheckDatabaseIntegrity>(
      [](KSHandle, TKRAPIString, int32_t) { return u"dangling reference"; });
  TProxyTree tree;

  EXPECT_EQ(Texts(tree.database->Get_Transactions().Get()),
            (std::vector<std::u16string>{u"Root", u"Budget", u"Root", u"Draft"}));
  EXPECT_EQ(Texts(tree.database->Get_RootTransactionNames().Get()),
            (std::vector<std::u16string>{u"Budget"}));
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSGetAvailableTransactions).back(),
            R"(KSGetAvailableTransactions(1, "Northwind", 1, ptr))");
  EXPECT_EQ(tree.database->Get_MemoryUsage(), 4096);
  EXPECT_EQ(tree.database->CheckIntegrity(0), u"dangling reference");
  EXPECT_FALSE(tree.database->Get_Deltas());
}

TEST_F(DatabaseTest, ChangingTheNameDisconnectsTheSessionsButTheJournalFileDoesNot) {
  TProxyTree tree;
  ASSERT_TRUE(tree.session->CheckConnected());
  EXPECT_TRUE(tree.database->Get_HasDependents());

  tree.database->Set_JournalFileName(u"other.log");
  tree.database->Set_Name(u"Northwind");
  EXPECT_TRUE(tree.session->Get_Connected());

  tree.database->Set_Name(u"Southwind");
  EXPECT_FALSE(tree.session->Get_Connected());
  EXPECT_FALSE(tree.database->Get_Connected());
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSReleaseSession), 1);
}

// A change the library refused keeps its status, as an open keeps its
// error, until the next change; one that did not reach the library leaves 0.
// The status's text comes from the library.
TEST_F(DatabaseTest, AChangeKeepsTheLibrarysStatusForItsCaller) {
  api.On<TKRAPIFunction::KSRestoreDBFromArchive>(
      [](KSHandle, KSHandle, TKRAPIString) { return KSStatus(KS_ERR_DUMP_CORRUPT); });
  api.On<TKRAPIFunction::KSFormatMessage>([](KSHandle, KSStatus code, int32_t) {
    return code == KS_ERR_DUMP_CORRUPT ? u"the dump is corrupt or truncated" : u"other";
  });
  TProxyTree tree;
  IKRDatabase& db = *tree.database;
  EXPECT_EQ(db.Get_LastError(), 0);
  db.Load();
  EXPECT_EQ(db.Get_LastError(), KS_ERR_DUMP_CORRUPT);
  EXPECT_EQ(GetAPIStatusText(db.Get_LastError()), u"the dump is corrupt or truncated");
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSFormatMessage).back(),
            "KSFormatMessage(0, " + std::to_string(KS_ERR_DUMP_CORRUPT) + ", 0)");
  db.Save();
  EXPECT_EQ(db.Get_LastError(), 0);
  db.Load();
  ASSERT_EQ(db.Get_LastError(), KS_ERR_DUMP_CORRUPT);
  api.On<TKRAPIFunction::KSSearchMeta>(
      [](KSHandle, TKRAPIString, TKRAPIString) { return KSHandle(0); });
  tree.schema->Disconnect();
  db.Load();
  EXPECT_EQ(db.Get_LastError(), 0);
}

}  // namespace
