#include "console/host/ScopeTree.h"

#include <algorithm>

namespace {

// The name of an inserted or changed item: a callback, or a copy.
HRESULT TakeName(const SCOPEDATAITEM& item, TScopeNode& node) {
  if (item.displayname == MMC_CALLBACK) {
    node.callbackName = true;
    node.name.clear();
  } else if (item.displayname == nullptr) {
    return E_INVALIDARG;
  } else {
    node.callbackName = false;
    node.name = item.displayname;
  }
  return S_OK;
}

HRESULT TakeMembers(const SCOPEDATAITEM& item, TScopeNode& node) {
  if (item.mask & SDI_STR) {
    if (HRESULT hr = TakeName(item, node); FAILED(hr)) return hr;
  }
  if (item.mask & SDI_IMAGE) node.image = item.nImage;
  if (item.mask & SDI_OPENIMAGE) node.openImage = item.nOpenImage;
  if (item.mask & SDI_STATE) node.state = item.nState;
  if (item.mask & SDI_CHILDREN) node.cChildren = item.cChildren;
  if (item.mask & SDI_PARAM) node.lParam = item.lParam;
  return S_OK;
}

}  // namespace

HSCOPEITEM TScopeTree::Reset(std::u16string name, LPARAM lParam) {
  nodes_.clear();
  root_ = next_++;
  TScopeNode& root = nodes_[root_];
  root.id = root_;
  root.callbackName = false;
  root.name = std::move(name);
  root.lParam = lParam;
  return root_;
}

TScopeNode* TScopeTree::Find(HSCOPEITEM id) {
  auto it = nodes_.find(id);
  return it == nodes_.end() ? nullptr : &it->second;
}

const TScopeNode* TScopeTree::Find(HSCOPEITEM id) const {
  auto it = nodes_.find(id);
  return it == nodes_.end() ? nullptr : &it->second;
}

HRESULT TScopeTree::Insert(SCOPEDATAITEM& item) {
  const DWORD placement = item.mask & (SDI_FIRST | SDI_PREVIOUS | SDI_NEXT);
  if (placement != 0 && placement != SDI_FIRST && placement != SDI_PREVIOUS &&
      placement != SDI_NEXT) {
    return E_INVALIDARG;
  }
  TScopeNode* relative = Find(item.relativeID);
  if (relative == nullptr) return E_INVALIDARG;
  const bool sibling = placement == SDI_PREVIOUS || placement == SDI_NEXT;
  if (sibling && relative->id == root_) return E_INVALIDARG;
  TScopeNode node;
  if (HRESULT hr = TakeMembers(item, node); FAILED(hr)) return hr;
  if (!(item.mask & SDI_STR)) node.callbackName = true;
  node.parent = sibling ? relative->parent : relative->id;
  node.id = next_++;
  std::vector<HSCOPEITEM>& siblings = Find(node.parent)->children;
  auto at = siblings.end();
  if (placement == SDI_FIRST) at = siblings.begin();
  if (sibling) {
    at = std::find(siblings.begin(), siblings.end(), relative->id);
    if (placement == SDI_PREVIOUS) ++at;
  }
  siblings.insert(at, node.id);
  item.ID = node.id;
  nodes_.emplace(node.id, std::move(node));
  return S_OK;
}

HRESULT TScopeTree::Delete(HSCOPEITEM id, bool deleteThis, std::vector<HSCOPEITEM>* removed) {
  TScopeNode* node = Find(id);
  if (node == nullptr || (deleteThis && id == root_)) return E_INVALIDARG;
  std::vector<HSCOPEITEM> doomed = node->children;
  node->children.clear();
  if (deleteThis) {
    std::vector<HSCOPEITEM>& siblings = Find(node->parent)->children;
    siblings.erase(std::find(siblings.begin(), siblings.end(), id));
    doomed.push_back(id);
  }
  for (size_t i = 0; i < doomed.size(); ++i) {
    TScopeNode* gone = Find(doomed[i]);
    if (doomed[i] != id) doomed.insert(doomed.end(), gone->children.begin(), gone->children.end());
  }
  for (HSCOPEITEM gone : doomed) nodes_.erase(gone);
  if (removed != nullptr) *removed = std::move(doomed);
  return S_OK;
}

HRESULT TScopeTree::Set(const SCOPEDATAITEM& item) {
  TScopeNode* node = Find(item.ID);
  if (node == nullptr) return E_INVALIDARG;
  TScopeNode changed = *node;
  if (HRESULT hr = TakeMembers(item, changed); FAILED(hr)) return hr;
  *node = std::move(changed);
  return S_OK;
}

HRESULT TScopeTree::Get(SCOPEDATAITEM& item) {
  TScopeNode* node = Find(item.ID);
  if (node == nullptr) return E_INVALIDARG;
  if (item.mask & SDI_STR) item.displayname = node->callbackName ? MMC_CALLBACK : node->name.data();
  if (item.mask & SDI_IMAGE) item.nImage = node->image;
  if (item.mask & SDI_OPENIMAGE) item.nOpenImage = node->openImage;
  if (item.mask & SDI_STATE) item.nState = node->state;
  if (item.mask & SDI_CHILDREN) item.cChildren = node->cChildren;
  if (item.mask & SDI_PARAM) item.lParam = node->lParam;
  item.relativeID = node->parent;
  return S_OK;
}

bool TScopeTree::IsWithin(HSCOPEITEM id, HSCOPEITEM ancestor) const {
  for (const TScopeNode* node = Find(id); node != nullptr; node = Find(node->parent)) {
    if (node->id == ancestor) return true;
  }
  return false;
}

HSCOPEITEM TScopeTree::FindByCookie(LPARAM cookie) const {
  std::vector<HSCOPEITEM> pending{root_};
  while (!pending.empty()) {
    const TScopeNode* node = Find(pending.back());
    pending.pop_back();
    if (node == nullptr) continue;
    if (node->lParam == cookie) return node->id;
    pending.insert(pending.end(), node->children.rbegin(), node->children.rend());
  }
  return 0;
}
