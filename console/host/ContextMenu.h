#pragma once
// TContextMenu: collects the items a snap-in adds to a context menu
// (IContextMenuCallback). Each adder is told which insertion points it may
// use; an item for another point, a command ID with the reserved high word,
// or an item without text is refused (E_INVALIDARG) and not added. Texts are
// copied at once. A submenu item (CCM_SPECIAL_SUBMENU) is itself an insertion
// point for the items that follow it. CCM_SPECIAL_TESTONLY items are checked
// and not added. The items come out in the console's order: the top of the
// menu, then the "New", "All Tasks" and "View" groups.

#include <string>
#include <vector>

#include "platform/com/Unknown.h"
#include "platform/mmc/MmcInterfaces.h"

struct TMenuItem {
  std::string text;  // the path: "New > Server..." for an item of a group
  std::string statusText;
  LONG commandId = 0;
  LONG insertionPoint = 0;
  LONG flags = 0;  // MF_*
  LONG specialFlags = 0;
  int owner = 0;  // which adder added it (the index given to BeginAdder)
  int group = 0;  // 0 the top, 1 "New", 2 "All Tasks", 3 "View"

  bool Separator() const {
    return (specialFlags & CCM_SPECIAL_SEPARATOR) || (flags & MF_SEPARATOR);
  }
  bool Submenu() const { return (specialFlags & CCM_SPECIAL_SUBMENU) != 0; }
  bool Enabled() const { return (flags & (MF_GRAYED | MF_DISABLED)) == 0; }
};

class TContextMenu : public ComObject<IContextMenuCallback> {
 public:
  // The items added from now on come from adder `owner`, which may use the
  // CCM_INSERTIONALLOWED_* points in `allowed`.
  void BeginAdder(int owner, LONG allowed);
  HRESULT AddItem(CONTEXTMENUITEM* item) override;

  // The items that can be chosen (no separators, submenus or test items).
  std::vector<TMenuItem> Commands() const;

 private:
  // The group and path prefix of an insertion point, or false when the
  // adder may not use it.
  bool Place(LONG insertionPoint, int& group, std::string& prefix) const;

  std::vector<TMenuItem> items_;
  int owner_ = 0;
  LONG allowed_ = 0;
};
