#include "objectmodel/KRDataSet_CO_ProxyList.h"

#include <algorithm>
#include <utility>

TKRProxyList::TKRProxyList() : FThreadID(std::this_thread::get_id()) {}

TKRProxyList::~TKRProxyList() {
  while (!FEntries.empty()) {
    ComPtr<IKRProxy> proxy = FEntries.front().Get();
    FEntries.erase(FEntries.begin());
    try {
      if (proxy) proxy->Set_Parent(nullptr);
    } catch (...) {
      // The proxy has reported its failure; the list still goes.
    }
  }
}

std::vector<TKRProxyList::TKRProxyEntry>::iterator TKRProxyList::Find(intptr_t uniqueID) {
  return std::find_if(FEntries.begin(), FEntries.end(),
                      [&](const TKRProxyEntry& entry) { return entry.UniqueID == uniqueID; });
}

std::vector<ComPtr<IKRProxy>> TKRProxyList::Snapshot() const {
  std::vector<ComPtr<IKRProxy>> proxies;
  for (const TKRProxyEntry& entry : FEntries) proxies.emplace_back(entry.Get());
  return proxies;
}

void TKRProxyList::Disconnect() {
  Guard([&] {
    for (const ComPtr<IKRProxy>& proxy : Snapshot()) {
      if (proxy) proxy->Disconnect();
    }
  });
}

void TKRProxyList::AddProxy(IKRProxy* proxy, intptr_t uniqueID, std::thread::id threadID) {
  Guard([&] {
    TKRProxyEntry entry;
    entry.UniqueID = uniqueID;
    entry.ForeignThread = threadID != FThreadID;
    if (entry.ForeignThread) {
      entry.ProxyRef = proxy;
    } else {
      entry.Proxy = proxy;
    }
    FEntries.push_back(std::move(entry));
  });
}

void TKRProxyList::RemoveProxy(intptr_t uniqueID) {
  Guard([&] {
    const auto found = Find(uniqueID);
    if (found == FEntries.end()) return;
    // The counted reference goes only after the entry has left the list,
    // because dropping it may destroy the proxy, which then leaves the list.
    ComPtr<IKRProxy> released = std::move(found->ProxyRef);
    FEntries.erase(found);
  });
}

int32_t TKRProxyList::Get_Count() {
  return Guard([&] { return int32_t(FEntries.size()); });
}

ComPtr<IKRProxy> TKRProxyList::Get_Proxies(int32_t index) {
  return Guard([&] {
    if (index < 0 || index >= int32_t(FEntries.size())) return ComPtr<IKRProxy>();
    return ComPtr<IKRProxy>(FEntries[size_t(index)].Get());
  });
}

bool TKRProxyList::Get_HasDependents() {
  return Guard([&] {
    for (const ComPtr<IKRProxy>& proxy : Snapshot()) {
      if (proxy && proxy->Get_HasDependents()) return true;
    }
    return false;
  });
}

bool TKRProxyList::IsProxyInList(IKRProxy* proxy) {
  return Guard([&] { return proxy != nullptr && Find(proxy->Get_UniqueID()) != FEntries.end(); });
}

bool TKRProxyList::IsProxyInListByID(intptr_t uniqueID) {
  return Guard([&] { return Find(uniqueID) != FEntries.end(); });
}

ComPtr<IKRProxy> TKRProxyList::Get_ProxiesByID(intptr_t uniqueID) {
  return Guard([&] {
    const auto found = Find(uniqueID);
    return found == FEntries.end() ? ComPtr<IKRProxy>() : ComPtr<IKRProxy>(found->Get());
  });
}

OleVariant TKRProxyList::Get_UniqueIDs() {
  return Guard([&] {
    if (FEntries.empty()) return OleVariant::Null();
    std::vector<OleVariant> ids;
    for (const TKRProxyEntry& entry : FEntries) ids.emplace_back(int64_t(entry.UniqueID));
    return OleVariant::ArrayOf(std::move(ids));
  });
}

intptr_t TKRProxyList::Get_UniqueID() {
  return Guard([&] { return reinterpret_cast<intptr_t>(static_cast<IKRProxyList*>(this)); });
}

TKRProxyIterator::TKRProxyIterator(IKRProxyList* list) : FList(list) {
  if (!FList) return;
  const OleVariant ids = FList->Get_UniqueIDs();
  if (ids.IsNull()) return;
  FSnapshot = std::make_unique<TKRCustomIntegerList>();
  FSnapshot->SetAsVariantArray(ids);
}

bool TKRProxyIterator::Next(ComPtr<IKRProxy>& proxy) {
  proxy.Reset();
  while (FSnapshot && FNext < FSnapshot->GetCount()) {
    proxy = FList->Get_ProxiesByID(FSnapshot->GetItem(FNext++));
    if (proxy) return true;
  }
  return false;
}
