#pragma once
// Support for the tests of the server, schema, database and session proxies
// over the scripted Database API: a server "srv" (handle 1) with the meta
// Sales 1.0 (handle 10) listing the databases in `databases`, sessions 100,
// 101, ... whose root transaction is 200 + the session's offset; a proxy tree
// server → schema → database → session; an event handler that records; and
// a registry and locale environment of the test's own.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "objectmodel/KRAPI_UNT_Fake.h"
#include "objectmodel/KRAPI_UNT_Strings.h"
#include "objectmodel/KRDataSet_CO_Events.h"
#include "objectmodel/KRDataSet_CO_RecordingHandler_test.h"
#include "objectmodel/KRDataSet_CO_Session.h"
#include "platform/testing/TestFiles.h"

namespace kr_session_test {

using Calls = std::vector<std::string>;

// A registry file of the test's own (absent until written) and an English
// (United States) locale environment.
class TTestEnvironment {
 public:
  std::string Directory() const { return FDirectory.Path().string(); }

 private:
  TempDir FDirectory;
  ScopedEnv FRegistry{"VAZERIR_REGISTRY", FDirectory.File("registry.reg")};
  ScopedEnv FLocale{"LC_ALL", "en_US.UTF-8"};
};

class TScriptedServer : public TKRFakeAPI {
 public:
  TScriptedServer() {
    On<TKRAPIFunction::KSConnectServer>([](TKRAPIString, TKRAPIString) { return KSHandle(1); });
    On<TKRAPIFunction::KSSearchMeta>(
        [](KSHandle, TKRAPIString, TKRAPIString) { return KSHandle(10); });
    On<TKRAPIFunction::KSGetAvailableDatabases>([this](KSHandle, KSHandle, int32_t* count) {
      *count = int32_t(databases.size());
      return databases.data();
    });
    On<TKRAPIFunction::KSCreateSession>(
        [this](KSHandle, TKRAPIString, TKRAPIString, TKRAPIString, KSHandle, TKRAPIString) {
          return KSHandle(100 + sessions++);
        });
    On<TKRAPIFunction::KSGetRootTrn>([](KSHandle session) { return KSHandle(session + 100); });
    ClearCalls();
  }

  std::vector<const char16_t*> databases = {u"Northwind", u"Southwind"};
  int sessions = 0;
};

using kr_test::TReceivedEvent;
using kr_test::TRecordingHandler;

// server (host "localhost") → schema Sales 1.0 → database → session.
struct TProxyTree {
  explicit TProxyTree(const std::u16string& databaseName = u"Northwind")
      : server(MakeComObject<TKRServerInterface>()),
        schema(MakeComObject<TKRSchemaInterface>()),
        database(MakeComObject<TKRDatabaseInterface>()),
        session(MakeComObject<TKRSessionInterface>()) {
    server->Set_HostName(u"localhost");
    schema->Set_Server(server.Get());
    schema->Set_Name(u"Sales");
    schema->Set_Version(u"1.0");
    database->Set_Schema(schema.Get());
    database->Set_Name(databaseName);
    session->Set_Database(database.Get());
  }
  ComPtr<TKRServerInterface> server;
  ComPtr<TKRSchemaInterface> schema;
  ComPtr<TKRDatabaseInterface> database;
  ComPtr<TKRSessionInterface> session;
};

// The texts of a string list (none gives no texts).
inline std::vector<std::u16string> Texts(IKRStringList* list) {
  std::vector<std::u16string> texts;
  for (int32_t i = 0; list != nullptr && i < list->Get_Count(); ++i) {
    texts.push_back(list->Get_Strings(i));
  }
  return texts;
}

}  // namespace kr_session_test
