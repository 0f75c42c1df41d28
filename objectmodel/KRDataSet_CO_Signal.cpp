#include "objectmodel/KRDataSet_CO_Signal.h"

#include <algorithm>

#include "objectmodel/KRAPI_UNT.h"
#include "objectmodel/KRAPI_UNT_Strings.h"

ComPtr<TKRSignalInterface> TKRSignalInterface::CreateWithInformation(KSHandle handle, int32_t id) {
  ComPtr<TKRSignalInterface> signal = MakeComObject<TKRSignalInterface>();
  signal->FHandle = handle;
  if (handle != 0) signal->FID = id;
  return signal;
}

ComPtr<IKRSession> TKRSignalInterface::Get_Session() {
  return Guard([&] { return ProxyAs<IKRSession>(FParent.Get()); });
}

void TKRSignalInterface::Set_Session(IKRSession* session) {
  SetParentAndJoin(session, &IKRSession::Get_Signals);
}

KSHandle TKRSignalInterface::RegisteredHandle() {
  const ComPtr<IKRSession> session = Get_Session();
  return session && FID != kKRNoSignalID ? session->FindSignalHandle(FID) : 0;
}

void TKRSignalInterface::AssignHandle() {
  const ComPtr<IKRSession> session = Get_Session();
  if (!session || !session->CheckConnected()) return;
  const TKRAPITable& api = KRAPI();
  FHandle = RegisteredHandle();
  if (FHandle == 0) {
    if (FCheckInterval == kKRUnknownCheckInterval) FCheckInterval = kKRDefaultCheckInterval;
    // The arguments are described by the library before their values can go.
    if (!FArguments) CreateArguments();
    RefreshArgumentValues();
    FHandle = api.KSInstanciateSignal(
        session->Get_Handle(), ConvertWideStringToAPIString(FName), ArgumentValues(),
        FArguments ? int32_t(FArguments->size()) : 0, FCheckInterval, 0);
  }
  if (FHandle == 0) return;
  if (FSendsEvent) api.KSSetSignalSendEvent(FHandle, ConvertToAPIBoolean(true));
  api.KSSignalSetUserData(FHandle, static_cast<IKRSignal*>(this));
}

void TKRSignalInterface::ReleaseHandle() { KRAPI().KSReleaseSignal(FHandle); }

void TKRSignalInterface::BeforeDisconnect() {
  TKRProxyWithArguments<IKRSignal>::BeforeDisconnect();
  if (RegisteredHandle() != 0) FHandleCanBeReleased = false;
}

void TKRSignalInterface::CreateArguments() {
  const ComPtr<IKRSession> session = Get_Session();
  if (!session || !session->CheckConnected()) return;
  int32_t count = 0;
  const KSSignalArgInfo* info = KRAPI().KSGetSignalArgsInfo(
      session->Get_Handle(), ConvertWideStringToAPIString(FName), &count);
  if (info == nullptr || count <= 0) return;
  AllocateArguments(count);
  for (int32_t i = 0; i < count; ++i) {
    const bool ids = info[i].type == KS_TYPE_LINKS;
    AddArgument(i, ids || ConvertToBoolean(info[i].isArray), true,
                ConvertAPIStringToWideString(info[i].description), ids ? KS_TYPE_ID : info[i].type);
  }
  if (FHandle != 0) RefreshArguments();
}

void TKRSignalInterface::RefreshArguments() {
  if (!FArguments) CreateArguments();
  if (!FArguments || FHandle == 0) return;
  int32_t count = 0;
  const KSField* fields = KRAPI().KSGetSignalArguments(FHandle, &count);
  if (fields == nullptr) return;
  const size_t n = std::min(size_t(std::max(count, 0)), FArguments->size());
  for (size_t i = 0; i < n; ++i) {
    OleVariant value;
    ConvertAPIFieldToOleVariant(fields[i], value);
    // An array is described by its number of elements only: the proxy's
    // elements are kept rather than lost.
    if (!value.IsEmpty()) (*FArguments)[i]->Set_Value(value);
  }
}

std::u16string TKRSignalInterface::Get_Name() {
  return Guard([&] {
    if (FName.empty() && Get_Connected()) {
      FName = ConvertAPIStringToWideString(KRAPI().KSGetSignalName(FHandle));
    }
    return FName;
  });
}

void TKRSignalInterface::Set_Name(const std::u16string& name) {
  Guard([&] {
    if (name == FName) return;
    if (!FName.empty()) {
      FreeArguments();
      Disconnect();
    }
    FName = name;
  });
}

int32_t TKRSignalInterface::Get_ID() {
  return Guard([&] {
    if (FID == kKRNoSignalID && Get_Connected()) {
      FID = KRAPI().KSGetSignalID(FHandle);
      const ComPtr<IKRSession> session = Get_Session();
      if (FID != kKRNoSignalID && session) session->AddSignalHandle(FID, FHandle);
    }
    return FID;
  });
}

int32_t TKRSignalInterface::Get_CheckInterval() {
  return Guard([&] {
    if (FCheckInterval == kKRUnknownCheckInterval && Get_Connected()) {
      FCheckInterval = KRAPI().KSGetSignalCheckInterval(FHandle);
    }
    return FCheckInterval;
  });
}

void TKRSignalInterface::Set_CheckInterval(int32_t seconds) {
  Guard([&] {
    if (seconds == FCheckInterval) return;
    FCheckInterval = seconds;
    if (Get_Connected()) KRAPI().KSSetSignalCheckInterval(FHandle, seconds);
  });
}

bool TKRSignalInterface::Get_Active() {
  return Guard([&] {
    if (Get_Connected()) FActive = !ConvertToBoolean(KRAPI().KSIsSignalSuspended(FHandle));
    return FActive;
  });
}

void TKRSignalInterface::Set_Active(bool active) {
  Guard([&] {
    FActive = active;
    if (!Get_Connected()) return;
    if (active) {
      KRAPI().KSResumeSignal(FHandle);
    } else {
      KRAPI().KSSuspendSignal(FHandle);
    }
  });
}

void TKRSignalInterface::EvaluateNow() {
  Guard([&] {
    if (CheckConnected()) KRAPI().KSEvaluateSignalNow(FHandle);
  });
}

bool TKRSignalInterface::Get_SendsEvent() {
  return Guard([&] { return FSendsEvent; });
}

void TKRSignalInterface::Set_SendsEvent(bool sendsEvent) {
  Guard([&] {
    if (sendsEvent == FSendsEvent) return;
    FSendsEvent = sendsEvent;
    if (Get_Connected()) KRAPI().KSSetSignalSendEvent(FHandle, ConvertToAPIBoolean(sendsEvent));
  });
}

KSStatus TKRSignalInterface::Delete() {
  return Guard([&] {
    KSStatus status = KS_OK;
    if (CheckConnected()) {
      status = KRAPI().KSDeleteSignal(FHandle);
      if (status == KS_OK) {
        const ComPtr<IKRSession> session = Get_Session();
        if (FID != kKRNoSignalID && session) session->RemoveSignalHandle(FID, FHandle);
        // The library released the handle with the instance.
        FHandleCanBeReleased = false;
        Disconnect();
      }
    }
    if (status == KS_OK) FID = kKRNoSignalID;
    return status;
  });
}

void TKRSignalInterface::DoRaised() {
  Guard([] {});
}

void TKRSignalInterface::DoChanged() {
  Guard([&] { Refresh(); });
}

void TKRSignalInterface::Instanciate() {
  Guard([&] { Connect(); });
}

bool TKRSignalInterface::Get_Instanciated() {
  return Guard([&] { return Get_Connected(); });
}

void TKRSignalInterface::Refresh() {
  Guard([&] {
    if (!Get_Connected()) return;
    const TKRAPITable& api = KRAPI();
    FName = ConvertAPIStringToWideString(api.KSGetSignalName(FHandle));
    FCheckInterval = api.KSGetSignalCheckInterval(FHandle);
    FSendsEvent = ConvertToBoolean(api.KSDoesSignalSendEvent(FHandle));
    RefreshArguments();
  });
}

bool TKRSignalInterface::Get_Raised() {
  return Guard(
      [&] { return Get_Connected() && ConvertToBoolean(KRAPI().KSIsSignalRaised(FHandle)); });
}
