#include "console/host/ContextMenu.h"

#include <iterator>

#include "platform/text/Utf.h"

namespace {

struct Group {
  LONG point;
  LONG allowedBit;
  const char* name;
};
constexpr Group kGroups[] = {
    {CCM_INSERTIONPOINTID_PRIMARY_TOP, CCM_INSERTIONALLOWED_TOP, ""},
    {CCM_INSERTIONPOINTID_PRIMARY_NEW, CCM_INSERTIONALLOWED_NEW, "New"},
    {CCM_INSERTIONPOINTID_PRIMARY_TASK, CCM_INSERTIONALLOWED_TASK, "All Tasks"},
    {CCM_INSERTIONPOINTID_PRIMARY_VIEW, CCM_INSERTIONALLOWED_VIEW, "View"},
};

}  // namespace

void TContextMenu::BeginAdder(int owner, LONG allowed) {
  owner_ = owner;
  allowed_ = allowed;
}

bool TContextMenu::Place(LONG insertionPoint, int& group, std::string& prefix) const {
  for (size_t g = 0; g < std::size(kGroups); ++g) {
    if (kGroups[g].point == insertionPoint) {
      group = int(g);
      prefix = kGroups[g].name;
      return (allowed_ & kGroups[g].allowedBit) != 0;
    }
  }
  for (const TMenuItem& item : items_) {
    if (item.Submenu() && item.owner == owner_ && item.commandId == insertionPoint) {
      group = item.group;
      prefix = item.text;
      return true;
    }
  }
  return false;
}

HRESULT TContextMenu::AddItem(CONTEXTMENUITEM* item) {
  if (item == nullptr) return E_POINTER;
  TMenuItem added;
  added.commandId = item->lCommandID;
  added.insertionPoint = item->lInsertionPointID;
  added.flags = item->fFlags;
  added.specialFlags = item->fSpecialFlags;
  added.owner = owner_;
  std::string prefix;
  if (!Place(item->lInsertionPointID, added.group, prefix)) return E_INVALIDARG;
  if (added.specialFlags & CCM_SPECIAL_INSERTION_POINT) return S_OK;
  if (!added.Separator()) {
    if (item->strName == nullptr || item->strName[0] == u'\0') return E_INVALIDARG;
    if (added.commandId & CCM_COMMANDID_MASK_RESERVED) return E_INVALIDARG;
    const std::string name = Utf16ToUtf8(item->strName);
    added.text = prefix.empty() ? name : prefix + " > " + name;
    if (item->strStatusBarText != nullptr) added.statusText = Utf16ToUtf8(item->strStatusBarText);
  }
  if (added.specialFlags & CCM_SPECIAL_TESTONLY) return S_OK;
  items_.push_back(std::move(added));
  return S_OK;
}

std::vector<TMenuItem> TContextMenu::Commands() const {
  std::vector<TMenuItem> out;
  for (int group = 0; group < int(std::size(kGroups)); ++group) {
    for (const TMenuItem& item : items_) {
      if (item.group == group && !item.Separator() && !item.Submenu()) out.push_back(item);
    }
  }
  return out;
}
