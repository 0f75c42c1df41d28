#include "console/tui/FormSession.h"

#include <algorithm>

#include "console/tui/Accelerators.h"
#include "console/tui/Glyphs.h"
#include "console/tui/LineEditor.h"
#include "console/tui/ListMotion.h"
#include "platform/text/Locale.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Form.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/UserInput.h"

namespace {

std::string FieldText(const TControl& c) {
  if (const auto* edit = dynamic_cast<const TEdit*>(&c)) return edit->Text();
  if (const auto* combo = dynamic_cast<const TComboBox*>(&c)) return combo->Text();
  return {};
}

bool IsTextField(const TControl* c) {
  if (dynamic_cast<const TEdit*>(c)) return true;
  const auto* combo = dynamic_cast<const TComboBox*>(c);
  return combo && combo->Style() == csDropDown;
}

std::vector<std::string> ItemTexts(const TComboBox& combo) {
  std::vector<std::string> items;
  for (int i = 0; i < combo.Items().Count(); ++i) items.push_back(combo.Items()[i]);
  return items;
}

}  // namespace

const TFormViewState& TFormSession::ViewState() {
  TWinControl* active = form_.ActiveControl();
  if (active != caretOwner_) {
    caretOwner_ = active;
    state_.Caret = active ? GlyphCount(FieldText(*active)) : 0;
  }
  if (active) state_.Caret = std::clamp(state_.Caret, 0, GlyphCount(FieldText(*active)));
  if (state_.Dropped && (state_.Dropped != active || !state_.Dropped->VisibleInForm())) {
    state_.Dropped = nullptr;
  }
  return state_;
}

bool TFormSession::HandleKey(const TKey& key, const TFormLayout& layout) {
  refusal_.clear();
  ViewState();
  try {
    return Dispatch(key, layout);
  } catch (const EUserInputError& e) {
    refusal_ = e.Message();
    return false;
  }
}

bool TFormSession::Dispatch(const TKey& key, const TFormLayout& layout) {
  if (state_.Dropped) return ListKey(key, layout);
  if (key.Is(TKeyCode::Mouse)) return Click(key, layout);
  switch (key.Code) {
    case TKeyCode::Tab:
    case TKeyCode::BackTab:
      UserPressTab(form_, key.Is(TKeyCode::Tab));
      return true;
    case TKeyCode::Enter:
      UserPressEnter(form_);
      return true;
    case TKeyCode::Escape:
      if (form_.CancelButton()) {
        UserPressEscape(form_);
      } else {
        UserClose(form_);
      }
      return true;
    default:
      break;
  }
  TWinControl* active = form_.ActiveControl();
  if (auto* combo = dynamic_cast<TComboBox*>(active); combo && ComboKey(key, *combo)) return true;
  if (IsTextField(active)) return TextKey(key, *active, FieldText(*active));
  // Letters go to a list that is focused; elsewhere they press buttons.
  if (key.Is(TKeyCode::Char) && !key.IsChar(" ") && !dynamic_cast<TComboBox*>(active)) {
    return PressAccelerator(key.Text);
  }
  if (auto* radio = dynamic_cast<TRadioButton*>(active)) return RadioKey(key, *radio);
  if (auto* button = dynamic_cast<TButton*>(active)) {
    if (key.IsChar(" ")) {
      UserClick(*button);
      return true;
    }
    if (key.Is(TKeyCode::Left) || key.Is(TKeyCode::Up) || key.Is(TKeyCode::Right) ||
        key.Is(TKeyCode::Down)) {
      UserPressTab(form_, key.Is(TKeyCode::Right) || key.Is(TKeyCode::Down));
      return true;
    }
  }
  return false;
}

bool TFormSession::PressAccelerator(const std::string& letter) {
  const std::string typed = AnsiLowerCase(letter);
  std::vector<TButton*> buttons;
  for (TWinControl* control : form_.TabOrderList()) {
    auto* button = dynamic_cast<TButton*>(control);
    if (button && button->VisibleInForm() && AcceleratorOf(button->Caption()) == typed) {
      buttons.push_back(button);
    }
  }
  if (buttons.size() == 1) {
    UserClick(*buttons.front());
    return true;
  }
  // Buttons sharing the letter take the focus in turn; none is pressed.
  std::erase_if(buttons, [](const TButton* b) { return !b->EnabledInForm(); });
  if (buttons.empty()) return false;
  const auto at = std::find(buttons.begin(), buttons.end(), form_.ActiveControl());
  UserFocus(at == buttons.end() || at + 1 == buttons.end() ? *buttons.front() : **(at + 1));
  return true;
}

bool TFormSession::ListKey(const TKey& key, const TFormLayout& layout) {
  auto& combo = const_cast<TComboBox&>(*state_.Dropped);
  const TCellRect list = layout.DropRect(combo);
  const int count = combo.Items().Count();
  auto highlight = [&](int index) {
    state_.DropIndex = index;
    state_.DropFirst = FirstShown(state_.DropFirst, index, list.Height);
  };
  if (auto moved = MoveInList(key, state_.DropIndex, count, list.Height)) {
    highlight(std::max(0, *moved));
    return true;
  }
  if (key.Is(TKeyCode::Char)) {
    const int found = FindByPrefix(ItemTexts(combo), state_.DropIndex, key.Text);
    if (found >= 0) highlight(found);
    return found >= 0;
  }
  const bool inList = key.Is(TKeyCode::Mouse) && list.Contains({key.X, key.Y});
  const int item =
      inList ? FirstShown(state_.DropFirst, state_.DropIndex, list.Height) + key.Y - list.Top
             : state_.DropIndex;
  // Every other key closes the list.
  state_.Dropped = nullptr;
  if (key.Is(TKeyCode::Escape) || key.Is(TKeyCode::Function)) return true;
  if (!key.Is(TKeyCode::Enter) && !inList) return Dispatch(key, layout);
  if (item >= count) return false;
  UserSelect(combo, item);
  state_.Caret = GlyphCount(combo.Text());
  return true;
}

void TFormSession::OpenList(TComboBox& combo) {
  UserFocus(combo);
  ViewState();
  state_.Dropped = &combo;
  state_.DropIndex = std::max(0, combo.ItemIndex());
  state_.DropFirst = 0;
}

bool TFormSession::ComboKey(const TKey& key, TComboBox& combo) {
  const bool opens = key.Is(TKeyCode::Function)
                         ? key.Number == 4
                         : combo.Style() == csDropDownList && key.IsChar(" ");
  if (opens) {
    OpenList(combo);
    return true;
  }
  if (key.Is(TKeyCode::Up) || key.Is(TKeyCode::Down)) {
    const int count = combo.Items().Count();
    if (count == 0) return false;
    const int current = combo.ItemIndex();
    const int next =
        current < 0 ? 0 : std::clamp(current + (key.Is(TKeyCode::Up) ? -1 : 1), 0, count - 1);
    UserSelect(combo, next);
    state_.Caret = GlyphCount(combo.Text());
    return true;
  }
  if (combo.Style() == csDropDownList && key.Is(TKeyCode::Char)) {
    const int found = FindByPrefix(ItemTexts(combo), combo.ItemIndex(), key.Text);
    if (found < 0) return false;
    UserSelect(combo, found);
    return true;
  }
  return false;
}

void TFormSession::TypeInto(TControl& field, const std::string& text, int caret) {
  UserSetText(field, text);
  state_.Caret = std::min(caret, GlyphCount(FieldText(field)));
}

bool TFormSession::TextKey(const TKey& key, TControl& field, const std::string& text) {
  TLineEditor editor(text, state_.Caret);
  if (!editor.HandleKey(key)) return false;
  if (editor.Text() == text) {
    state_.Caret = editor.Caret();
  } else {
    TypeInto(field, editor.Text(), editor.Caret());
  }
  return true;
}

bool TFormSession::RadioKey(const TKey& key, TRadioButton& radio) {
  if (key.IsChar(" ")) {
    UserClick(radio);
    return true;
  }
  const bool back = key.Is(TKeyCode::Up) || key.Is(TKeyCode::Left);
  if (!back && !key.Is(TKeyCode::Down) && !key.Is(TKeyCode::Right)) return false;
  std::vector<TRadioButton*> group;
  for (TWinControl* sibling : radio.Parent()->TabList()) {
    auto* r = dynamic_cast<TRadioButton*>(sibling);
    if (r && (r == &radio || r->CanFocus())) group.push_back(r);
  }
  const auto at = std::find(group.begin(), group.end(), &radio) - group.begin();
  const auto next = (at + (back ? -1 : 1) + long(group.size())) % long(group.size());
  if (next == at) return false;
  UserClick(*group[size_t(next)]);
  return true;
}

bool TFormSession::Click(const TKey& key, const TFormLayout& layout) {
  if (key.Button == TMouseButton::Right) return false;
  const TControl* target = layout.ControlAt({key.X, key.Y});
  if (!target) return false;
  auto& control = const_cast<TControl&>(*target);
  if (dynamic_cast<TButton*>(&control) || dynamic_cast<TRadioButton*>(&control)) {
    UserClick(control);
    return true;
  }
  if (auto* combo = dynamic_cast<TComboBox*>(&control)) {
    const TCellRect r = *layout.RectOf(control);
    if (combo->Style() == csDropDownList || key.X >= r.Right() - 2) {
      OpenList(*combo);
      return true;
    }
  }
  if (IsTextField(&control)) {
    const TCellRect r = *layout.RectOf(control);
    const bool wasFocused = form_.ActiveControl() == &control;
    const int first = wasFocused ? FieldFirstShown(state_.Caret, FieldWidth(control, r)) : 0;
    UserFocus(control);
    ViewState();
    state_.Caret = std::clamp(first + key.X - r.Left - 1, 0, GlyphCount(FieldText(control)));
    return true;
  }
  if (auto* label = dynamic_cast<TLabel*>(&control); label && label->FocusControl()) {
    UserFocus(control);
    return true;
  }
  return false;
}
