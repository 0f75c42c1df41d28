// The listings of a database's "Users" and "Scenarios" folders: who is
// connected to the database, and which of its transactions are versions.
// Each listing logs on to the database, reads one system table through a
// read-only transaction and lets go of the session before it returns.

#include "dataset/KRDataSet_CMP_Table.h"
#include "objectmodel/KRDataSet_CO_Transaction.h"
#include "platform/text/DateTimeText.h"
#include "platform/text/Utf.h"
#include "snapin/KRComponentData.h"
#include "snapin/KRComponentData_Commands.h"
#include "snapin/KRComponentData_Connections.h"
#include "snapin/KRStrings.h"

namespace {

// The fields of a "_DBTransaction" row, in the columns of a scenario item.
constexpr const char* kScenarioFields[] = {"name",     "isPrivate",   "isProtected", "isVersion",
                                           "userName", "StartDate", "Description"};

// The text of a user item's columns 2 and 3 when the user has no row.
constexpr const char* kNoRow = "-";

// A read-only transaction below the session's root transaction, connected;
// none, after telling the user that `database` cannot be reached, when it
// cannot be started. It joins `disconnect` either way.
ComPtr<IKRTransaction> ReadingTransaction(IKRSession& session, const std::string& database,
                                          TKRProxyDisconnector& disconnect) {
  ComPtr<IKRTransaction> transaction = MakeComObject<TKRTransactionInterface>();
  disconnect.Add(transaction.Get());
  transaction->Set_ParentTransaction(session.Get_RootTransaction().Get());
  transaction->Set_ReadOnly(true);
  if (transaction->CheckConnected()) return transaction;
  ShowSnapinMessage(krsUnableToConnectDatabase, database);
  return nullptr;
}

// Moves the table to a row whose field `fieldName` holds `value` without
// regard to case; false when there is none.
bool LocateIgnoringCase(TKRTable& table, const std::string& fieldName, const std::string& value) {
  return table.Locate(fieldName, OleVariant(Utf8ToUtf16(value)), TLocateOptions{loCaseInsensitive});
}

// One item per connected user, in the server's order: name, host, and, from
// the user's row in `users` (an open table on "SYSUser"), the administrator
// flag and the last logon, or "-" for both when the user has no row.
void AddUserItems(TKRFolder& folder, IKRStringList* connected, TKRTable& users) {
  ForEachString(connected, [&](const std::u16string& text) {
    auto item = std::make_unique<TKRResultData>();
    std::string host, user;
    GetUserAndHost(Utf16ToUtf8(text), host, user);
    std::vector<std::string>& columns = item->Columns();
    columns = {user, host, kNoRow, kNoRow};
    if (LocateIgnoringCase(users, "name", user)) {
      columns[2] = SnapinString(users.FieldByName("isAdmin")->AsBoolean() ? krsYes : krsNo);
      const TField* lastLogin = users.FieldByName("lastLogin");
      columns[3] = lastLogin->IsNull() ? std::string() : DateTimeToStr(lastLogin->AsDateTime());
    }
    TKRResultData::SetParent(std::move(item), folder);
  });
}

// One item per transaction of `names` whose row in `transactions` (an open
// table on "_DBTransaction") says it is a version, in the order of `names`,
// with the texts of the row's fields.
void AddScenarioItems(TKRFolder& folder, IKRStringList* names, TKRTable& transactions) {
  ForEachString(names, [&](const std::u16string& name) {
    if (!LocateIgnoringCase(transactions, "name", Utf16ToUtf8(name)) ||
        !transactions.FieldByName("isVersion")->AsBoolean()) {
      return;
    }
    auto item = std::make_unique<TKRResultData>();
    for (const char* field : kScenarioFields) {
      item->Columns().push_back(transactions.FieldByName(field)->AsString());
    }
    TKRResultData::SetParent(std::move(item), folder);
  });
}

// How far reading a system table for a listing came.
enum class TKRReading { krrNotStarted, krrFailed, krrDone };

// Logs on to the database of `folder` and lets `read` read the table
// `tableName` (ordered by `indexName` when not empty), open, through a
// read-only transaction of the session; then lets go of the table, the
// transaction and the session, in that order. Not started when no session
// or transaction could be had (the user was told); failed, after showing
// why, when something raised on the way.
template <class Read>
TKRReading ReadSystemTable(TKRComponentData& data, TKRFolder& folder, const char* tableName,
                           const char* indexName, Read read) {
  const ComPtr<IKRSession> session = data.OpenDatabaseSession(folder, true);
  if (!session) return TKRReading::krrNotStarted;
  TKRProxyDisconnector disconnect{{session.Get()}};
  try {
    const ComPtr<IKRTransaction> transaction =
        ReadingTransaction(*session, NodeNamesOf(folder).database, disconnect);
    if (!transaction) return TKRReading::krrNotStarted;
    TKRTable table(nullptr);
    table.SetTransaction(transaction.Get());
    table.SetTableName(tableName);
    if (*indexName != '\0') table.SetIndexName(indexName);
    table.Open();
    read(*session, table);
    return TKRReading::krrDone;
  } catch (const std::exception& failure) {
    ShowSnapinFailure(failure);
    return TKRReading::krrFailed;
  }
}

}  // namespace

void TKRComponentData::CreateUsersItems(TKRFolder& folder, TKRNodeTypes) {
  if (folder.FolderType() != krftUsers) return;
  const TKRReading reading =
      ReadSystemTable(*this, folder, "SYSUser", "", [&](IKRSession& session, TKRTable& users) {
        AddUserItems(folder, session.GetConnectedUsers(true, true).Get(), users);
      });
  if (reading == TKRReading::krrDone) folder.SetDirty(false);
}

void TKRComponentData::CreateScenariosItems(TKRFolder& folder, TKRNodeTypes) {
  if (folder.FolderType() != krftScenarios) return;
  const TKRReading reading = ReadSystemTable(
      *this, folder, "_DBTransaction", "childrenPV", [&](IKRSession& session, TKRTable& rows) {
        AddScenarioItems(folder, session.Get_Database()->Get_Transactions().Get(), rows);
      });
  // A failure while reading leaves the versions read so far listed.
  if (reading != TKRReading::krrNotStarted) folder.SetDirty(false);
}
