#include "platform/ui/ComboBox.h"

#include "platform/text/Locale.h"
#include "platform/ui/FormDescription.h"

void TComboItems::CheckIndex(int index, bool allowEnd) const {
  if (index < 0 || index > Count() || (index == Count() && !allowEnd)) {
    throw EInvalidOperation("List index out of bounds (" + std::to_string(index) + ")");
  }
}

const std::string& TComboItems::Strings(int index) const {
  CheckIndex(index, false);
  return items_[size_t(index)].text;
}

TItemObject TComboItems::Objects(int index) const {
  CheckIndex(index, false);
  return items_[size_t(index)].object;
}

void TComboItems::SetObject(int index, TItemObject object) {
  CheckIndex(index, false);
  items_[size_t(index)].object = object;
}

int TComboItems::Add(std::string text, TItemObject object) {
  Insert(Count(), std::move(text), object);
  return Count() - 1;
}

void TComboItems::Insert(int index, std::string text, TItemObject object) {
  CheckIndex(index, true);
  items_.insert(items_.begin() + index, Item{std::move(text), object});
  owner_.ItemInserted(index);
  Changed();
}

void TComboItems::Delete(int index) {
  CheckIndex(index, false);
  items_.erase(items_.begin() + index);
  owner_.ItemDeleted(index);
  Changed();
}

void TComboItems::Clear() {
  items_.clear();
  owner_.ItemsCleared();
  Changed();
}

int TComboItems::IndexOf(std::string_view text) const {
  for (int i = 0; i < Count(); ++i) {
    if (AnsiSameText(items_[size_t(i)].text, text)) return i;
  }
  return -1;
}

int TComboItems::IndexOfObject(TItemObject object) const {
  for (int i = 0; i < Count(); ++i) {
    if (items_[size_t(i)].object == object) return i;
  }
  return -1;
}

void TComboItems::EndUpdate() {
  if (updateCount_ == 0) throw EInvalidOperation("EndUpdate without BeginUpdate");
  if (--updateCount_ == 0) Changed();
}

void TComboItems::Changed() {
  if (!Updating()) owner_.NotifyChanged();
}

TComboBox::TComboBox() {
  SetBounds(0, 0, 145, 21);
  SetColor(clWindow);
  SetTabStop(true);
}

std::string TComboBox::StateText() const {
  std::string s = (style_ == csDropDownList ? "list " : "editable ") + Quoted(Text()) + " [";
  for (int i = 0; i < items_.Count(); ++i) s += (i ? ", " : "") + Quoted(items_[i]);
  return s + "] item " + std::to_string(itemIndex_);
}

void TComboBox::SetStyle(TComboBoxStyle style) {
  if (style == style_) return;
  editText_ = Text();
  style_ = style;
  NotifyChanged();
}

void TComboBox::SetItemIndex(int index) {
  if (index < 0 || index >= items_.Count()) index = -1;
  if (index == itemIndex_) return;
  itemIndex_ = index;
  if (index >= 0)
    editText_ = items_[index];
  else if (style_ == csDropDown)
    editText_.clear();
  NotifyChanged();
}

std::string TComboBox::Text() const {
  if (style_ == csDropDown) return editText_;
  return itemIndex_ >= 0 ? items_[itemIndex_] : std::string();
}

void TComboBox::SetText(std::string text) {
  const int index = items_.IndexOf(text);
  if (style_ == csDropDown) editText_ = std::move(text);
  itemIndex_ = index;
  NotifyChanged();
}

void TComboBox::SelectByUser(int index) {
  SetItemIndex(index);
  Change();
}

void TComboBox::TypeText(std::string text) {
  SetText(std::move(text));
  Change();
}

void TComboBox::Change() {
  if (OnChange) OnChange(*this);
}

void TComboBox::ItemInserted(int index) {
  if (itemIndex_ >= index) ++itemIndex_;
}

void TComboBox::ItemDeleted(int index) {
  if (itemIndex_ == index) {
    itemIndex_ = -1;
  } else if (itemIndex_ > index) {
    --itemIndex_;
  }
}

void TComboBox::ItemsCleared() {
  itemIndex_ = -1;
  editText_.clear();
}
