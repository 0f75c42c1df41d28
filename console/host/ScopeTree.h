#pragma once
// TScopeTree: the console's scope items. The static node of the snap-in is
// the root; every other item is inserted below an existing one. Item handles
// are never reused, so a stale handle is refused (E_INVALIDARG), never taken
// for another item. A name is either the console's own copy of the inserted
// text or a callback (MMC_CALLBACK), which the console asks for when it shows
// the item.

#include <string>
#include <unordered_map>
#include <vector>

#include "platform/mmc/MmcStructures.h"

struct TScopeNode {
  HSCOPEITEM id = 0;
  HSCOPEITEM parent = 0;  // 0 for the root
  std::vector<HSCOPEITEM> children;
  bool callbackName = true;
  std::u16string name;  // when !callbackName
  int image = 0;
  int openImage = 0;
  UINT state = 0;
  int cChildren = -1;  // -1: not told
  LPARAM lParam = 0;
  bool expandedOnce = false;  // the snap-in was asked for the children
  bool expanded = false;      // shown open
};

class TScopeTree {
 public:
  // Replaces the tree by one root item; answers its handle.
  HSCOPEITEM Reset(std::u16string name, LPARAM lParam);
  HSCOPEITEM Root() const { return root_; }

  // Inserts as IConsoleNameSpace::InsertItem does: relativeID is the parent,
  // or with SDI_FIRST the parent (inserted first), SDI_PREVIOUS the previous
  // sibling, SDI_NEXT the next sibling. Fills item.ID.
  HRESULT Insert(SCOPEDATAITEM& item);
  // Removes the children of `id`, and `id` too when `deleteThis`; answers
  // the removed handles in `removed`. The root itself cannot be removed.
  HRESULT Delete(HSCOPEITEM id, bool deleteThis, std::vector<HSCOPEITEM>* removed = nullptr);
  // SetItem and GetItem by item.ID, for the members named in item.mask. A
  // literal name answered by Get stays valid until the item changes.
  HRESULT Set(const SCOPEDATAITEM& item);
  HRESULT Get(SCOPEDATAITEM& item);

  TScopeNode* Find(HSCOPEITEM id);
  const TScopeNode* Find(HSCOPEITEM id) const;
  // True when `id` is `ancestor` or lies below it.
  bool IsWithin(HSCOPEITEM id, HSCOPEITEM ancestor) const;
  // The node whose lParam is `cookie`, searched from the root; 0 if none.
  HSCOPEITEM FindByCookie(LPARAM cookie) const;

 private:
  std::unordered_map<HSCOPEITEM, TScopeNode> nodes_;
  HSCOPEITEM root_ = 0;
  HSCOPEITEM next_ = 0x100;
};
