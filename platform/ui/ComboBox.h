#pragma once
// TComboBox: a list of items, each a text with an object reference, and a
// selection. A drop-down list shows only its items (its Text is the selected
// item's); an editable box (csDropDown) also takes free text.
//
// OnChange fires when the user changes the selection or types, never when
// code sets ItemIndex or Text. Setting Text selects the item of that text
// (compared without regard to case), or none. Item changes inside
// BeginUpdate/EndUpdate are reported to the form's observer once, at the
// outermost EndUpdate.

#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/Control.h"
#include "platform/ui/ItemObject.h"

enum TComboBoxStyle { csDropDown, csDropDownList };

class TComboBox;

class TComboItems {
 public:
  explicit TComboItems(TComboBox& owner) : owner_(owner) {}
  TComboItems(const TComboItems&) = delete;
  TComboItems& operator=(const TComboItems&) = delete;

  int Count() const { return int(items_.size()); }
  // Index checks raise EInvalidOperation "List index out of bounds (i)".
  const std::string& Strings(int index) const;
  const std::string& operator[](int index) const { return Strings(index); }
  TItemObject Objects(int index) const;
  void SetObject(int index, TItemObject object);

  // Answers the new item's index.
  int Add(std::string text, TItemObject object = {});
  // `index` may equal Count (append).
  void Insert(int index, std::string text, TItemObject object = {});
  void Delete(int index);
  // Also clears the edit text of an editable box.
  void Clear();
  // Exact text regardless of case; -1 when absent.
  int IndexOf(std::string_view text) const;
  int IndexOfObject(TItemObject object) const;

  void BeginUpdate() { ++updateCount_; }
  // Raises EInvalidOperation without a matching BeginUpdate.
  void EndUpdate();
  bool Updating() const { return updateCount_ > 0; }

 private:
  struct Item {
    std::string text;
    TItemObject object;
  };
  void CheckIndex(int index, bool allowEnd) const;
  void Changed();

  TComboBox& owner_;
  std::vector<Item> items_;
  int updateCount_ = 0;
};

class TComboBox : public TWinControl {
 public:
  TComboBox();
  std::string_view ClassName() const override { return "TComboBox"; }
  std::string StateText() const override;

  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle style);

  TComboItems& Items() { return items_; }
  const TComboItems& Items() const { return items_; }
  // Index of the selected item, -1 for none. An index outside the items
  // selects none, as on the platform.
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int index);
  std::string Text() const;
  void SetText(std::string text);
  // Removes all items and the text.
  void Clear() { items_.Clear(); }

  // The user picks item `index` (fires OnChange, also for the item already
  // selected, as every pick does).
  void SelectByUser(int index);
  // The user types into an editable box (fires OnChange).
  void TypeText(std::string text);

  TNotifyEvent OnChange;

 protected:
  virtual void Change();

 private:
  friend class TComboItems;
  void ItemInserted(int index);
  void ItemDeleted(int index);
  void ItemsCleared();

  TComboItems items_{*this};
  TComboBoxStyle style_ = csDropDown;
  int itemIndex_ = -1;
  std::string editText_;  // the text of an editable box
};
