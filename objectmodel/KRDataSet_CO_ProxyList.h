#pragma once
// TKRProxyList: the dependents of a proxy, in insertion order. Entries added
// on the list's own thread (the one that created it) refer to their proxy
// without counting it; entries added from another thread hold a counted
// reference, so that the entry stays valid. Destroying the list detaches
// every proxy still in it from its parent, which disconnects it.
//
// TKRProxyIterator walks a snapshot of a list's UniqueIDs and skips the
// proxies removed since the snapshot.

#include <thread>
#include <vector>

#include "objectmodel/KRDataSet_CO_Boundary.h"
#include "objectmodel/KRDataSet_CO_Interfaces.h"
#include "objectmodel/KRIntegerList_UNT.h"

class TKRProxyList : public TKRAutoIntfObject<IKRProxyList> {
 public:
  TKRProxyList();
  ~TKRProxyList() override;

  void Disconnect() override;
  void AddProxy(IKRProxy* proxy, intptr_t uniqueID, std::thread::id threadID) override;
  void RemoveProxy(intptr_t uniqueID) override;
  int32_t Get_Count() override;
  ComPtr<IKRProxy> Get_Proxies(int32_t index) override;
  bool Get_HasDependents() override;
  bool IsProxyInList(IKRProxy* proxy) override;
  bool IsProxyInListByID(intptr_t uniqueID) override;
  ComPtr<IKRProxy> Get_ProxiesByID(intptr_t uniqueID) override;
  OleVariant Get_UniqueIDs() override;
  intptr_t Get_UniqueID() override;

 private:
  struct TKRProxyEntry {
    IKRProxy* Proxy = nullptr;  // not counted
    intptr_t UniqueID = 0;
    bool ForeignThread = false;
    ComPtr<IKRProxy> ProxyRef;  // counted, for a foreign thread's entry

    IKRProxy* Get() const { return ForeignThread ? ProxyRef.Get() : Proxy; }
  };

  // The entry with that ID, or end.
  std::vector<TKRProxyEntry>::iterator Find(intptr_t uniqueID);
  // Counted references to the proxies, in index order, for walks that call
  // out while the list may change.
  std::vector<ComPtr<IKRProxy>> Snapshot() const;

  std::thread::id FThreadID;
  std::vector<TKRProxyEntry> FEntries;
};

class TKRProxyIterator {
 public:
  explicit TKRProxyIterator(IKRProxyList* list);
  // The next proxy still in the list (none at the end); false at the end.
  bool Next(ComPtr<IKRProxy>& proxy);

 private:
  ComPtr<IKRProxyList> FList;
  int32_t FNext = 0;
  std::unique_ptr<TKRCustomIntegerList> FSnapshot;
};
