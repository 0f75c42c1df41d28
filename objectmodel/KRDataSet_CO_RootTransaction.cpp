#include "objectmodel/KRDataSet_CO_RootTransaction.h"

TKRActualRootTransactionInterface::TKRActualRootTransactionInterface(IKRSession* session)
    : FSession(session) {}

ComPtr<IKRSession> TKRActualRootTransactionInterface::Get_Session() {
  return Guard([&] { return ComPtr<IKRSession>(FSession); });
}

void TKRActualRootTransactionInterface::Set_Session(IKRSession* session) {
  Guard([&] {
    if (AreProxiesEqual(FSession, session)) return;
    Disconnect();
    FSession = session;
  });
}

std::u16string TKRActualRootTransactionInterface::Get_Name() {
  return Guard([&] {
    return Get_Connected() && FSession != nullptr ? FSession->Get_RootTransactionName()
                                                  : std::u16string();
  });
}

ComPtr<IKRProxy> TKRActualRootTransactionInterface::Get_Parent() {
  return Guard([&] { return ComPtr<IKRProxy>(FSession); });
}

void TKRActualRootTransactionInterface::Set_Parent(IKRProxy* parent) {
  Guard([&] { Set_Session(ProxyAs<IKRSession>(parent).Get()); });
}

void TKRActualRootTransactionInterface::AssignHandle() {
  if (FSession == nullptr || !FSession->CheckConnected()) return;
  const TKRAPITable& api = KRAPI();
  FHandle = api.KSGetRootTrn(FSession->Get_Handle());
  if (FHandle != 0) api.KSTransactionSetUserData(FHandle, static_cast<IKRProxy*>(this));
}
