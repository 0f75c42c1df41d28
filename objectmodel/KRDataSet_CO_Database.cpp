#include "objectmodel/KRDataSet_CO_Database.h"

#include "objectmodel/KRAPI_UNT.h"
#include "objectmodel/KRAPI_UNT_Strings.h"
#include "objectmodel/KRDataSet_CO_ProxyList.h"
#include "platform/text/Utf.h"

TKRDatabaseInterface::TKRDatabaseInterface() : FSessions(MakeComObject<TKRProxyList>()) {}

template <class R, class Call>
R TKRDatabaseInterface::WhenConnected(R empty, Call&& call) {
  if (!CheckConnected()) return empty;
  return call(Handles());
}

template <class Call>
void TKRDatabaseInterface::Attempt(Call&& call) {
  FLastError = 0;
  if (CheckConnected()) FLastError = call(Handles());
}

TKRDatabaseInterface::TKRDatabaseCall TKRDatabaseInterface::Handles() {
  const ComPtr<IKRSchema> schema = Get_Schema();
  return {schema->Get_Server()->Get_Handle(), FHandle, ConvertWideStringToAPIString(FName)};
}

ComPtr<IKRSchema> TKRDatabaseInterface::Get_Schema() {
  return Guard([&] { return ProxyAs<IKRSchema>(FParent.Get()); });
}

void TKRDatabaseInterface::Set_Schema(IKRSchema* schema) {
  SetParentAndJoin(schema, &IKRSchema::Get_Databases);
}

std::u16string TKRDatabaseInterface::Get_Name() {
  return Guard([&] { return FName; });
}

void TKRDatabaseInterface::Set_Name(const std::u16string& name) {
  Guard([&] {
    if (name == FName) return;
    Disconnect();
    FName = name;
  });
}

ComPtr<IKRStringList> TKRDatabaseInterface::Get_RootTransactionNames() {
  return Guard([&] { return TransactionNames(true); });
}

ComPtr<IKRProxyList> TKRDatabaseInterface::Get_Sessions() {
  return Guard([&] { return FSessions; });
}

void TKRDatabaseInterface::Load() {
  Guard([&] {
    Attempt([](const TKRDatabaseCall& c) {
      return KRAPI().KSRestoreDBFromArchive(c.server, c.meta, c.name);
    });
  });
}

void TKRDatabaseInterface::LoadFromASCII(const std::u16string& fileName) {
  Guard([&] {
    Attempt([&](const TKRDatabaseCall& c) {
      return KRAPI().KSCreateDBFromAsciiFile(c.server, c.meta, c.name,
                                             ConvertWideStringToAPIString(fileName));
    });
  });
}

void TKRDatabaseInterface::LoadFromRDBMS(const std::u16string& first,
                                         const std::u16string& second) {
  Guard([&] {
    Attempt([&](const TKRDatabaseCall& c) {
      return KRAPI().KSCreateDBFromRDBMS(c.server, c.meta, ConvertWideStringToAPIString(second),
                                         ConvertWideStringToAPIString(first), c.name);
    });
  });
}

void TKRDatabaseInterface::Save() {
  Guard([&] {
    Attempt([](const TKRDatabaseCall& c) { return KRAPI().KSSaveDB(c.server, c.name); });
  });
}

void TKRDatabaseInterface::SaveAsASCII(const std::u16string& fileName) {
  Guard([&] {
    Attempt([&](const TKRDatabaseCall& c) {
      return KRAPI().KSSaveDBToAsciiFile(c.server, c.name, ConvertWideStringToAPIString(fileName));
    });
  });
}

std::u16string TKRDatabaseInterface::Get_JournalFileName() {
  return Guard([&] { return FJournalFileName; });
}

void TKRDatabaseInterface::Set_JournalFileName(const std::u16string& fileName) {
  Guard([&] { FJournalFileName = fileName; });
}

int32_t TKRDatabaseInterface::Get_MemoryUsage() {
  return Guard([&] {
    return WhenConnected(
        0, [](const TKRDatabaseCall& c) { return KRAPI().KSGetDBMemoryUsage(c.server, c.name); });
  });
}

void TKRDatabaseInterface::Shutdown() {
  Guard([&] {
    Attempt([](const TKRDatabaseCall& c) { return KRAPI().KSShutdownDB(c.server, c.name); });
  });
}

void TKRDatabaseInterface::CreateArchive() {
  Guard([&] { Attempt([&](const TKRDatabaseCall& c) { return CreateEmpty(c); }); });
}

void TKRDatabaseInterface::DestroyArchive() {
  Guard([&] {
    Attempt([](const TKRDatabaseCall& c) { return KRAPI().KSDestroyDB(c.server, c.name); });
  });
}

void TKRDatabaseInterface::Clone(const std::u16string& newName) {
  Guard([&] {
    Attempt([&](const TKRDatabaseCall& c) {
      return KRAPI().KSCloneDB(c.server, c.name, ConvertWideStringToAPIString(newName));
    });
  });
}

void TKRDatabaseInterface::Set_JournalEnabled(bool enabled) {
  Guard([&] {
    Attempt([&](const TKRDatabaseCall& c) {
      const TKRAPIString file = ConvertWideStringToAPIString(FJournalFileName);
      return enabled ? KRAPI().KSEnableJournal(c.server, c.name, file)
                     : KRAPI().KSDisableJournal(c.server, c.name, file);
    });
  });
}

void TKRDatabaseInterface::ShutdownEx(int32_t option, bool flag) {
  Guard([&] {
    Attempt([&](const TKRDatabaseCall& c) {
      return KRAPI().KSShutdownDBEx(c.server, c.name, option, ConvertToAPIBoolean(flag));
    });
  });
}

uint32_t TKRDatabaseInterface::Get_LocaleID() {
  return Guard([&] { return FLocaleID; });
}

void TKRDatabaseInterface::Set_LocaleID(uint32_t localeID) {
  Guard([&] {
    if (localeID == FLocaleID) return;
    FLocaleID = localeID;
    FLanguageCode.Reset();
  });
}

ComPtr<IKRStringList> TKRDatabaseInterface::Get_Transactions() {
  return Guard([&] { return TransactionNames(false); });
}

ComPtr<IKRStringList> TKRDatabaseInterface::Get_Deltas() {
  return Guard([] { return ComPtr<IKRStringList>(); });
}

std::u16string TKRDatabaseInterface::CheckIntegrity(int16_t level) {
  return Guard([&] {
    return WhenConnected(std::u16string(), [&](const TKRDatabaseCall& c) {
      return ConvertAPIStringToWideString(
          KRAPI().KSCheckDatabaseIntegrity(c.server, c.name, int32_t(level)));
    });
  });
}

bool TKRDatabaseInterface::Get_HasDependents() {
  return Guard(
      [&] { return !IsProxyListEmpty(FSessions.Get()) || TKRProxyInterface::Get_HasDependents(); });
}

void TKRDatabaseInterface::AssignHandle() {
  const ComPtr<IKRSchema> schema = Get_Schema();
  if (!schema || !schema->CheckConnected()) return;
  const ComPtr<IKRStringList> names = schema->Get_DatabaseNames();
  bool listed = false;
  for (int32_t i = 0; names && !listed && i < names->Get_Count(); ++i) {
    listed = names->Get_Strings(i) == FName;
  }
  const KSHandle meta = schema->Get_Handle();
  if (!listed) {
    CreateEmpty({schema->Get_Server()->Get_Handle(), meta, ConvertWideStringToAPIString(FName)});
  }
  FHandle = meta;
}

void TKRDatabaseInterface::DisconnectDependents() {
  TKRProxyInterface::DisconnectDependents();
  if (FSessions) FSessions->Disconnect();
}

void TKRDatabaseInterface::ReleaseDependents() {
  TKRProxyInterface::ReleaseDependents();
  FSessions.Reset();
}

ComPtr<IKRStringList> TKRDatabaseInterface::TransactionNames(bool rootOnly) {
  return WhenConnected(ComPtr<IKRStringList>(), [&](const TKRDatabaseCall& c) {
    int32_t count = 0;
    const auto* names =
        KRAPI().KSGetAvailableTransactions(c.server, c.name, ConvertToAPIBoolean(rootOnly), &count);
    TKRStrings list = APIStrings(count, names);
    if (rootOnly) std::erase(list, Utf16ToUtf8(kKRRootTransactionAPIName));
    return OwnStrings(std::move(list));
  });
}

KSStatus TKRDatabaseInterface::CreateEmpty(const TKRDatabaseCall& call) {
  return KRAPI().KSCreateEmptyDB(call.server, call.meta, call.name,
                                 FLanguageCode.Get(FLocaleID, false));
}
