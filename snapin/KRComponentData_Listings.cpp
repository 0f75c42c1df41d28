// The listings of a database's "Users" and "Scenarios" folders: who is
// connected to the database, and which of its transactions are versions.
// Each listing logs on to the database, reads one system table through a
// read-only transaction and lets go of the session before it returns.

#include "dataset/KRDataSet_CMP_Table.h"
#include "objectmodel/KRDataSet_CO_Transaction.h"
#include "platform/text/DateTimeText.h"
#include "platform/text/Locale.h"
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
// regard to case (locale-aware); false when there is none. The table's
// Locate takes a text as a pattern found anywhere in the field ("nna" finds
// "anna"; "*" and "?" are wildcards), so the row it finds is checked, and
// the rows are walked when it holds another name.
bool LocateIgnoringCase(TKRTable& table, const std::string& fieldName, const std::string& value) {
  const TField* field = table.FieldByName(fieldName);
  if (table.Locate(fieldName, OleVariant(Utf8ToUtf16(value)), TLocateOptions{loCaseInsensitive}) &&
      AnsiSameText(field->AsString(), value)) {
    return true;
  }
  for (table.First(); !table.Eof(); table.Next()) {
    if (AnsiSameText(field->AsString(), value)) return true;
  }
  return false;
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

}  // namespace

void TKRComponentData::CreateUsersItems(TKRFolder& folder, TKRNodeTypes) {
  if (folder.FolderType() != krftUsers) return;
  const ComPtr<IKRSession> session = OpenDatabaseSession(folder, true);
  if (!session) return;
  TKRProxyDisconnector disconnect{{session.Get()}};
  try {
    const ComPtr<IKRStringList> connected = session->GetConnectedUsers(true, true);
    const ComPtr<IKRTransaction> transaction =
        ReadingTransaction(*session, NodeNamesOf(folder).database, disconnect);
    if (!transaction) return;
    TKRTable users(nullptr);
    users.SetTransaction(transaction.Get());
    users.SetTableName("SYSUser");
    users.Open();
    AddUserItems(folder, connected.Get(), users);
    folder.SetDirty(false);
  } catch (const std::exception& failure) {
    ShowSnapinFailure(failure);
  }
}

void TKRComponentData::CreateScenariosItems(TKRFolder& folder, TKRNodeTypes) {
  if (folder.FolderType() != krftScenarios) return;
  const ComPtr<IKRSession> session = OpenDatabaseSession(folder, true);
  if (!session) return;
  TKRProxyDisconnector disconnect{{session.Get()}};
  try {
    const ComPtr<IKRTransaction> transaction =
        ReadingTransaction(*session, NodeNamesOf(folder).database, disconnect);
    if (!transaction) return;
    TKRTable transactions(nullptr);
    transactions.SetTransaction(transaction.Get());
    transactions.SetTableName("_DBTransaction");
    transactions.SetIndexName("childrenPV");
    transactions.Open();
    AddScenarioItems(folder, session->Get_Database()->Get_Transactions().Get(), transactions);
  } catch (const std::exception& failure) {
    // The versions read so far stay listed.
    folder.SetDirty(false);
    ShowSnapinFailure(failure);
    return;
  }
  folder.SetDirty(false);
}
