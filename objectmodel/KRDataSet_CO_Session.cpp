#include "objectmodel/KRDataSet_CO_Session.h"

#include <algorithm>

#include "objectmodel/KRAPI_UNT.h"
#include "objectmodel/KRAPI_UNT_Strings.h"
#include "objectmodel/KRDataSet_CO_Events.h"
#include "objectmodel/KRDataSet_CO_ProxyList.h"
#include "objectmodel/KRDataSet_CO_RootTransaction.h"
#include "objectmodel/KRDataSet_CO_Signal.h"

KR_DECLARE_EXCEPTION(EKRSessionError, Exception);

TKRSessionInterface::TKRSessionInterface()
    : FRootTransaction(MakeComObject<TKRActualRootTransactionInterface>(this)),
      FRootTransactionClones(MakeComObject<TKRProxyList>()),
      FSignals(MakeComObject<TKRProxyList>()) {}

ComPtr<IKRDatabase> TKRSessionInterface::Get_Database() {
  return Guard([&] { return ProxyAs<IKRDatabase>(FParent.Get()); });
}

void TKRSessionInterface::Set_Database(IKRDatabase* database) {
  SetParentAndJoin(database, &IKRDatabase::Get_Sessions);
}

namespace {

// Stores `value` in `field`, disconnecting `proxy` first, when it differs.
void ChangeConnectionText(IKRProxy& proxy, std::u16string& field, const std::u16string& value) {
  if (value == field) return;
  proxy.Disconnect();
  field = value;
}

}  // namespace

std::u16string TKRSessionInterface::Get_UserName() {
  return Guard([&] { return FUserName; });
}

void TKRSessionInterface::Set_UserName(const std::u16string& userName) {
  Guard([&] { ChangeConnectionText(*this, FUserName, userName); });
}

std::u16string TKRSessionInterface::Get_Password() {
  return Guard([&] { return FPassword; });
}

void TKRSessionInterface::Set_Password(const std::u16string& password) {
  Guard([&] { ChangeConnectionText(*this, FPassword, password); });
}

std::u16string TKRSessionInterface::Get_RootTransactionName() {
  return Guard([&] { return FRootTransactionName; });
}

void TKRSessionInterface::Set_RootTransactionName(const std::u16string& name) {
  Guard([&] { ChangeConnectionText(*this, FRootTransactionName, name); });
}

ComPtr<IKRBaseTransaction> TKRSessionInterface::Get_RootTransaction() {
  return Guard([&] { return FRootTransaction; });
}

ComPtr<IKRProxyList> TKRSessionInterface::Get_RootTransactionClones() {
  return Guard([&] { return FRootTransactionClones; });
}

ComPtr<IKRBaseTransaction> TKRSessionInterface::FindTransaction(const std::u16string& name) {
  return Guard([&]() -> ComPtr<IKRBaseTransaction> {
    return FRootTransaction ? FRootTransaction->FindTransaction(name) : nullptr;
  });
}

uint32_t TKRSessionInterface::Get_LocaleID() {
  return Guard([&] { return FLocaleID; });
}

void TKRSessionInterface::Set_LocaleID(uint32_t localeID) {
  Guard([&] {
    if (localeID == FLocaleID) return;
    FLocaleID = localeID;
    FLanguageCode.Reset();
    if (Get_Connected()) SendLanguageCode();
  });
}

bool TKRSessionInterface::Get_InActualPlan() {
  return Guard([&] { return FRootTransactionName.empty(); });
}

void TKRSessionInterface::DoSignalRaised(int32_t signalID) {
  Guard([&] {
    if (const ComPtr<IKRSignal> signal = FindSignal(signalID)) signal->DoRaised();
    OleVariant data(signalID);
    SendEvent(kKREventSignalRaised, data);
  });
}

void TKRSessionInterface::DoSignalChanged(int32_t signalID) {
  Guard([&] {
    if (const ComPtr<IKRSignal> signal = FindSignal(signalID)) signal->DoChanged();
    OleVariant data(signalID);
    SendEvent(kKREventSignalChanged, data);
  });
}

ComPtr<IKRSignal> TKRSessionInterface::FindSignal(int32_t signalID) {
  return Guard([&]() -> ComPtr<IKRSignal> {
    TKRProxyIterator signals(FSignals.Get());
    ComPtr<IKRProxy> proxy;
    while (signals.Next(proxy)) {
      const ComPtr<IKRSignal> signal = ProxyAs<IKRSignal>(proxy.Get());
      if (signal && signal->Get_ID() == signalID) return signal;
    }
    const KSHandle handle = FindSignalHandle(signalID);
    if (handle == 0) return nullptr;
    const ComPtr<TKRSignalInterface> signal =
        TKRSignalInterface::CreateWithInformation(handle, signalID);
    signal->Set_Session(this);
    return signal;
  });
}

int32_t TKRSessionInterface::Get_SignalIDs(int32_t index) {
  return Guard([&] {
    if (index < 0 || size_t(index) >= FSignalIDs.size()) {
      throw EKRSessionError("Signal index " + std::to_string(index) + " out of range");
    }
    return FSignalIDs[size_t(index)].ID;
  });
}

void TKRSessionInterface::RefreshSignalIDs() {
  Guard([&] {
    FSignalIDs.clear();
    if (!Get_Connected()) return;
    const TKRAPITable& api = KRAPI();
    int32_t count = 0;
    const KSHandle* signals = api.KSGetInstanciatedSignals(FHandle, &count, 0);
    const std::vector<KSHandle> handles(signals, signals + (signals != nullptr ? count : 0));
    for (KSHandle handle : handles) FSignalIDs.push_back({api.KSGetSignalID(handle), handle});
  });
}

int32_t TKRSessionInterface::Get_SignalIDCount() {
  return Guard([&] { return int32_t(FSignalIDs.size()); });
}

ComPtr<IKRProxyList> TKRSessionInterface::Get_Signals() {
  return Guard([&] { return FSignals; });
}

KSHandle TKRSessionInterface::FindSignalHandle(int32_t signalID) {
  return Guard([&]() -> KSHandle {
    for (const TKRSignalEntry& entry : FSignalIDs) {
      if (entry.ID == signalID) return entry.Handle;
    }
    return 0;
  });
}

void TKRSessionInterface::AddSignalHandle(int32_t signalID, KSHandle handle) {
  Guard([&] {
    if (std::none_of(FSignalIDs.begin(), FSignalIDs.end(),
                     [&](const TKRSignalEntry& e) { return e.ID == signalID; })) {
      FSignalIDs.push_back({signalID, handle});
    }
  });
}

void TKRSessionInterface::RemoveSignalHandle(int32_t signalID, KSHandle) {
  Guard([&] {
    const auto at = std::find_if(FSignalIDs.begin(), FSignalIDs.end(),
                                 [&](const TKRSignalEntry& e) { return e.ID == signalID; });
    if (at != FSignalIDs.end()) FSignalIDs.erase(at);
  });
}

bool TKRSessionInterface::Get_HasDependents() {
  return Guard([&] {
    return (FRootTransaction && FRootTransaction->Get_HasDependents()) ||
           !IsProxyListEmpty(FRootTransactionClones.Get()) || !IsProxyListEmpty(FSignals.Get()) ||
           TKRProxyInterface::Get_HasDependents();
  });
}

void TKRSessionInterface::Assign_(IKRProxy* source) {
  Guard([&] {
    TKRProxyInterface::Assign_(source);
    const ComPtr<IKRSession> from = ProxyAs<IKRSession>(source);
    if (!from) return;
    Set_Database(from->Get_Database().Get());
    Set_UserName(from->Get_UserName());
    Set_Password(from->Get_Password());
    Set_RootTransactionName(from->Get_RootTransactionName());
    Set_LocaleID(from->Get_LocaleID());
  });
}

bool TKRSessionInterface::IsOwnRootTransaction(const TKREventData& event) {
  std::u16string name = event.TextValue(0);
  if (name == kKRRootTransactionAPIName) name.clear();
  return name == FRootTransactionName;
}

void TKRSessionInterface::HandleAPIEvent(OleVariant& data) {
  Guard([&] {
    TKRProxyInterface::HandleAPIEvent(data);
    TKREventData event(data);
    const int32_t kind = event.Kind();
    if (IsServerLostEvent(kind, event.Code())) event.SetDisconnects();
    if (event.Disconnects()) {
      if (const ComPtr<IKRDatabase> database = Get_Database()) {
        if (const ComPtr<IKRSchema> schema = database->Get_Schema()) {
          MarkServerLost(schema->Get_Server().Get());
        }
      }
    }
    bool consumed = false;
    if (kind == KS_EVENT_SERVER_NOTICE) {
      switch (event.Code()) {
        case KS_NOTICE_SIGNAL_RAISED:
          DoSignalRaised(event.IntegerValue(0));
          consumed = true;
          break;
        case KS_NOTICE_SIGNAL_CHANGED:
          DoSignalChanged(event.IntegerValue(0));
          consumed = true;
          break;
        case KS_NOTICE_ROOT_TRANSACTION_CHANGED:
          consumed = !IsOwnRootTransaction(event);
          break;
        case KS_NOTICE_ROOT_TRANSACTION_REMOVED:
          consumed = !IsOwnRootTransaction(event);
          if (!consumed && FRootTransaction) FRootTransaction->Disconnect();
          break;
        default:
          break;
      }
    } else if (kind == KS_EVENT_SESSION_MESSAGE || kind == KS_EVENT_DATABASE_OFFLINE) {
      OleVariant value = event.Value(0);
      SendEvent(kind == KS_EVENT_SESSION_MESSAGE ? kKREventSessionMessage : kKREventDatabaseOffline,
                value);
      consumed = true;
    }
    if (!consumed) SendEvent(kKREventAPIEvent, data);
  });
}

void TKRSessionInterface::AssignHandle() {
  const ComPtr<IKRDatabase> database = Get_Database();
  if (!database || !database->CheckConnected()) return;
  const ComPtr<IKRSchema> schema = database->Get_Schema();
  const TKRAPITable& api = KRAPI();
  FHandle = api.KSCreateSession(
      schema->Get_Server()->Get_Handle(), ConvertWideStringToAPIString(FUserName),
      ConvertWideStringToAPIString(FPassword), ConvertWideStringToAPIString(database->Get_Name()),
      schema->Get_Handle(), ConvertWideStringToAPIString(FRootTransactionName));
  if (FHandle == 0) {
    FLastError = api.KSGetLastSessionError();
    return;
  }
  api.KSSessionSetUserData(FHandle, static_cast<IKRProxy*>(this));
  SendLanguageCode();
  GetGlobalAPIEventReceptionManager().Subscribe(this);
  FLastError = 0;
}

void TKRSessionInterface::ReleaseHandle() {
  Unsubscribe();
  KRAPI().KSReleaseSession(FHandle);
}

void TKRSessionInterface::BeforeDisconnect() {
  TKRProxyInterface::BeforeDisconnect();
  Unsubscribe();
}

void TKRSessionInterface::AfterDisconnect() {
  TKRProxyInterface::AfterDisconnect();
  FTableNames.Reset();
  FSignalNames.Reset();
}

void TKRSessionInterface::DisconnectDependents() {
  TKRProxyInterface::DisconnectDependents();
  if (FSignals) FSignals->Disconnect();
  if (FRootTransactionClones) FRootTransactionClones->Disconnect();
  if (FRootTransaction) FRootTransaction->Disconnect();
}

void TKRSessionInterface::ReleaseDependents() {
  TKRProxyInterface::ReleaseDependents();
  FSignals.Reset();
  FRootTransactionClones.Reset();
  // A root still referred to elsewhere must not keep pointing at this session.
  if (FRootTransaction) FRootTransaction->Set_Session(nullptr);
  FRootTransaction.Reset();
}

void TKRSessionInterface::Unsubscribe() {
  if (TKRAPIEventReceptionManager* manager = FindGlobalAPIEventReceptionManager()) {
    manager->Unsubscribe(this);
  }
}

void TKRSessionInterface::SendLanguageCode() {
  KRAPI().KSChangeSessionLanguage(FHandle, FLanguageCode.Get(FLocaleID, true));
}
