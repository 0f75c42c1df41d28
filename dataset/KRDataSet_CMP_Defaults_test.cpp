// The default connection made from the registry over the scripted Database
// API (server "srv" with the metas below, databases Northwind and Southwind),
// and the defaults given to proxies that lack a parent.
#include "dataset/KRDataSet_CMP_Defaults.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "objectmodel/KRDataSet_CO_Session_TestSupport_test.h"
#include "objectmodel/KRDataSet_CO_Transaction.h"
#include "platform/win32/Registry.h"

using namespace kr_session_test;

namespace {

class DefaultsTest : public ::testing::Test {
 protected:
  DefaultsTest() {
    // Metas 10 Sales 1.0, 11 Hr 2.0, 12 Hr 1.0: Hr sorts first, 1.0 before 2.0.
    api.On<TKRAPIFunction::KSGetAvailableMetas>([this](KSHandle, int32_t* count) {
      *count = 3;
      return metas;
    });
    api.On<TKRAPIFunction::KSGetMetaName>(
        [](KSHandle meta) { return meta == 10 ? u"Sales" : u"Hr"; });
    api.On<TKRAPIFunction::KSGetMetaVersion>(
        [](KSHandle meta) { return meta == 11 ? u"2.0" : u"1.0"; });
  }
  void SetUp() override {
    ReleaseDefaultProxies();
    FinalizeAPIEventReception();
  }
  void TearDown() override {
    ReleaseDefaultProxies();
    FinalizeAPIEventReception();
  }

  static void SetValue(const char* name, const std::string& text) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, kKRDefaultsKey, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueEx(key, name, text), ERROR_SUCCESS);
    RegCloseKey(key);
  }
  // The value's text, or "(missing)".
  static std::string Value(const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, kKRDefaultsKey, KEY_READ, &key) != ERROR_SUCCESS) {
      return "(missing)";
    }
    std::string text;
    const LONG code = RegQueryValueEx(key, name, text);
    RegCloseKey(key);
    return code == ERROR_SUCCESS ? text : "(missing)";
  }

  TTestEnvironment environment;
  TScriptedServer api;
  KSHandle metas[3] = {10, 11, 12};
};

TEST_F(DefaultsTest, WithoutRegistryValuesTheServersChoicesAreTakenAndWrittenBack) {
  const ComPtr<IKRSession> session = GetDefaultSession();
  EXPECT_EQ(session->Get_UserName(), u"");
  EXPECT_EQ(session->Get_Password(), u"");
  const ComPtr<IKRDatabase> database = session->Get_Database();
  EXPECT_EQ(database->Get_Name(), u"Northwind");
  const ComPtr<IKRSchema> schema = database->Get_Schema();
  EXPECT_EQ(schema->Get_Name(), u"Hr");
  EXPECT_EQ(schema->Get_Version(), u"1.0");
  EXPECT_EQ(schema->Get_Server()->Get_ServerName(), u"KestrelOS20");

  EXPECT_EQ(Value("HostName"), "");
  EXPECT_EQ(Value("ServerName"), "KestrelOS20");
  EXPECT_EQ(Value("SchemaName"), "Hr");
  EXPECT_EQ(Value("SchemaVersion"), "1.0");
  // The log-on values are never written.
  EXPECT_EQ(Value("UserName"), "(missing)");
  EXPECT_EQ(Value("UserPassword"), "(missing)");

  // The defaults are kept, and each builds on the ones before.
  EXPECT_EQ(GetDefaultSession().Get(), session.Get());
  EXPECT_EQ(GetDefaultSchema().Get(), schema.Get());
  const ComPtr<IKRTransaction> transaction = GetDefaultTransaction();
  EXPECT_EQ(transaction->Get_ParentTransaction().Get(), session->Get_RootTransaction().Get());
  EXPECT_EQ(GetDefaultTransaction().Get(), transaction.Get());
  ReleaseDefaultProxies();
  EXPECT_NE(GetDefaultSession().Get(), session.Get());
}

TEST_F(DefaultsTest, RegistryValuesNameTheConnectionAndTheUser) {
  SetValue("HostName", "dbhost");
  SetValue("ServerName", "Archive");
  SetValue("SchemaName", "Stock");
  SetValue("SchemaVersion", "2.0");
  SetValue("UserName", "anna");
  SetValue("UserPassword", "s3cret");

  const ComPtr<IKRSession> session = GetDefaultSession();
  EXPECT_EQ(session->Get_UserName(), u"anna");
  EXPECT_EQ(session->Get_Password(), u"s3cret");
  const ComPtr<IKRSchema> schema = session->Get_Database()->Get_Schema();
  EXPECT_EQ(schema->Get_Name(), u"Stock");
  EXPECT_EQ(schema->Get_Version(), u"2.0");
  EXPECT_EQ(schema->Get_Server()->Get_HostName(), u"dbhost");
  EXPECT_EQ(schema->Get_Server()->Get_ServerName(), u"Archive");
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSGetAvailableMetas), 0);
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSConnectServer),
            Calls{"KSConnectServer(\"dbhost\", \"Archive\")"});
}

TEST_F(DefaultsTest, ARegistryThatCannotBeReadIsReportedAndTheNextRequestTriesAgain) {
  const std::string file = environment.Directory() + "/registry.reg";
  WriteFile(file, "not a registry\n");
  try {
    GetDefaultServer();
    FAIL() << "no error";
  } catch (const EKRDefaultsError& error) {
    EXPECT_NE(error.Message().find("HKEY_LOCAL_MACHINE\\Software\\Norvik Supply Chain Solutions"),
              std::string::npos)
        << error.Message();
    EXPECT_NE(error.Message().find("registry.reg"), std::string::npos) << error.Message();
  }
  std::filesystem::remove(file);
  EXPECT_EQ(GetDefaultServer()->Get_ServerName(), u"KestrelOS20");
}

TEST_F(DefaultsTest, ATransactionWithoutSessionGetsTheDefaultOneAtItsTop) {
  const ComPtr<IKRTransaction> top = MakeComObject<TKRTransactionInterface>();
  const ComPtr<IKRTransaction> below = MakeComObject<TKRTransactionInterface>();
  below->Set_ParentTransaction(top.Get());

  SetupTransactionDefaults(below.Get());
  const ComPtr<IKRSession> session = GetDefaultSession();
  EXPECT_EQ(below->Get_ParentTransaction().Get(), static_cast<IKRBaseTransaction*>(top.Get()));
  EXPECT_EQ(top->Get_ParentTransaction().Get(), session->Get_RootTransaction().Get());
  EXPECT_EQ(below->Get_Session().Get(), session.Get());
}

TEST_F(DefaultsTest, WhatAProxyHasIsKeptAndOnlyWhatItLacksIsFilledIn) {
  TProxyTree tree;
  const ComPtr<IKRTransaction> transaction = MakeComObject<TKRTransactionInterface>();
  transaction->Set_ParentTransaction(tree.session->Get_RootTransaction().Get());
  SetupTransactionDefaults(transaction.Get());
  EXPECT_EQ(transaction->Get_Session().Get(), static_cast<IKRSession*>(tree.session.Get()));
  EXPECT_EQ(tree.session->Get_Database().Get(), static_cast<IKRDatabase*>(tree.database.Get()));
  // Nothing needed a default, so the registry was not touched.
  EXPECT_EQ(Value("ServerName"), "(missing)");

  const ComPtr<IKRSession> session = MakeComObject<TKRSessionInterface>();
  const ComPtr<IKRDatabase> database = MakeComObject<TKRDatabaseInterface>();
  session->Set_Database(database.Get());
  SetupSessionDefaults(session.Get());
  EXPECT_EQ(session->Get_Database().Get(), database.Get());
  EXPECT_EQ(database->Get_Schema().Get(), GetDefaultSchema().Get());

  const ComPtr<IKRSchema> schema = MakeComObject<TKRSchemaInterface>();
  SetupSchemaDefaults(schema.Get());
  EXPECT_EQ(schema->Get_Server().Get(), GetDefaultServer().Get());
}

// The least a cursor offers for its defaults.
struct TCursor {
  ComPtr<IKRTransaction> Get_Transaction() { return FTransaction; }
  void Set_Transaction(IKRTransaction* transaction) { FTransaction = transaction; }
  ComPtr<IKRTransaction> FTransaction;
};

TEST_F(DefaultsTest, ACursorWithoutTransactionGetsTheDefaultOne) {
  TCursor cursor;
  SetupCursorDefaults(&cursor);
  EXPECT_EQ(cursor.FTransaction.Get(), GetDefaultTransaction().Get());

  TCursor own;
  own.FTransaction = MakeComObject<TKRTransactionInterface>();
  const ComPtr<IKRTransaction> mine = own.FTransaction;
  SetupCursorDefaults(&own);
  EXPECT_EQ(own.FTransaction.Get(), mine.Get());
  EXPECT_EQ(mine->Get_ParentTransaction().Get(), GetDefaultSession()->Get_RootTransaction().Get());
}

}  // namespace
