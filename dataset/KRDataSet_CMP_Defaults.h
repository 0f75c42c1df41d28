#pragma once
// The default connection of the components at design time: a server, a
// schema, a database, a session and a plain transaction made from values
// kept in the registry, and the functions that give a proxy without a
// parent these defaults.
//
// The values are texts under HKEY_LOCAL_MACHINE\<kKRDefaultsKey> (the key is
// created when missing). A value that is missing or empty is written with
// what the default uses instead, so that the registry shows it:
// - GetDefaultServer: "HostName" and "ServerName" set the server's; without
//   them the server keeps its own (a new server has the host "" and the
//   server "KestrelOS20").
// - GetDefaultSchema: a schema on the default server named by "SchemaName",
//   else by the first of the server's schema names, and versioned by
//   "SchemaVersion", else by the first of the versions of that name ("" when
//   the server lists none).
// - GetDefaultDatabase: a database of the default schema named after the
//   first of the schema's database names (the proxy's own name when it
//   lists none); nothing of it is kept in the registry.
// - GetDefaultSession: a session on the default database. "UserName" and
//   "UserPassword" are read, never written; without a user name the session
//   has an empty one, so that a design-time session never logs on as the
//   administrator "system" unasked.
// - GetDefaultTransaction: a plain transaction below the default session's
//   root transaction.
// Each default is made on its first request and kept (the ones it builds on
// are made first) until ReleaseDefaultProxies.
// They are not released at exit, when the Database API and the event
// reception may be gone already. A registry that cannot be read or written
// raises EKRDefaultsError naming the key, the value and the reason; the
// default is then not kept, and the next request tries again.
//
// Setup...Defaults fill in what a proxy lacks, walking upwards: a schema
// without server gets the default server; a database without schema the
// default schema, then the schema's defaults; a session without database
// the default database, then the database's defaults. For a transaction:
// when its top-most parent transaction is a read-write one, that one gets
// the default session's root transaction as its parent; when it is a root
// without session, the root gets the default session; then the session's
// defaults. A cursor without transaction gets the default transaction, then
// the transaction's defaults.
//
// The defaults are used on the console's thread only.

#include <concepts>

#include "objectmodel/KRDataSet_CO_Session_Interface.h"
#include "objectmodel/KRDataSet_CO_Transactions_Interface.h"
#include "platform/text/Exception.h"

inline constexpr const char* kKRDefaultsKey =
    "Software\\Norvik Supply Chain Solutions\\NorvikSCS\\NorvikSCS Development\\GUI "
    "Components\\KRDataSet";

KR_DECLARE_EXCEPTION(EKRDefaultsError, Exception);

ComPtr<IKRServer> GetDefaultServer();
ComPtr<IKRSchema> GetDefaultSchema();
ComPtr<IKRDatabase> GetDefaultDatabase();
ComPtr<IKRSession> GetDefaultSession();
ComPtr<IKRTransaction> GetDefaultTransaction();
// Drops the defaults (the transaction first, the server last); the next
// request makes them again from the registry.
void ReleaseDefaultProxies();

void SetupSchemaDefaults(IKRSchema* schema);
void SetupDatabaseDefaults(IKRDatabase* database);
void SetupSessionDefaults(IKRSession* session);
void SetupTransactionDefaults(IKRBaseTransaction* transaction);

// A proxy that works in a plain transaction (a cursor).
template <class C>
concept KRTransactionDependent = requires(C& proxy, IKRTransaction* transaction) {
  { proxy.Get_Transaction() } -> std::convertible_to<ComPtr<IKRTransaction>>;
  proxy.Set_Transaction(transaction);
};

template <KRTransactionDependent C>
void SetupCursorDefaults(C* cursor) {
  if (cursor == nullptr) return;
  if (!cursor->Get_Transaction()) cursor->Set_Transaction(GetDefaultTransaction().Get());
  const ComPtr<IKRTransaction> transaction = cursor->Get_Transaction();
  SetupTransactionDefaults(transaction.Get());
}
