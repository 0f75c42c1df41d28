#include "objectmodel/KRThreadSafeInterface_CO.h"

#include "objectmodel/KRGlobalInterfaceTable_CO.h"
#include "platform/com/OleErrors.h"

TKRThreadSafeInterface::TKRThreadSafeInterface(IUnknown* object, const IID& iid)
    : FIID(iid), FThreadID(std::this_thread::get_id()), FInterface(object) {
  if (object == nullptr) return;
  DWORD cookie = 0;
  if (SUCCEEDED(KRGlobalInterfaceTable().RegisterInterfaceInGlobal(object, iid, &cookie))) {
    FCookie = cookie;
  }
}

TKRThreadSafeInterface::~TKRThreadSafeInterface() {
  if (IsRegistered()) KRGlobalInterfaceTable().RevokeInterfaceFromGlobal(FCookie);
}

ComPtr<IUnknown> TKRThreadSafeInterface::GetThreadSafeInterface() const {
  if (FInterface == nullptr || std::this_thread::get_id() == FThreadID) return FInterface;
  if (!IsRegistered()) {
    throw EKRThreadSafeInterfaceError(
        "accessing an interface which failed to be registered in the GIT, IID: " +
        GuidToString(FIID));
  }
  // The table answers the interface FIID names; it goes back out as IUnknown,
  // the base every interface starts with, so the pointer is unchanged.
  void* found = nullptr;
  OleCheck(KRGlobalInterfaceTable().GetInterfaceFromGlobal(FCookie, FIID, &found));
  ComPtr<IUnknown> result;
  result.Attach(static_cast<IUnknown*>(found));
  return result;
}

void TKRThreadSafeInterface::CheckInterfaceID(const IID& iid) const {
  if (iid != FIID) {
    throw EKRThreadSafeInterfaceError("the interface " + GuidToString(iid) +
                                      " is not the one kept, " + GuidToString(FIID));
  }
}
