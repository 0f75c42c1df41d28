#include "platform/ui/Form.h"

#include <algorithm>

#include "platform/text/Locale.h"
#include "platform/ui/FormDescription.h"
#include "platform/ui/Presenter.h"
#include "platform/ui/Screen.h"
#include "platform/ui/StdCtrls.h"

namespace {

// Marks a form as shown modally for a scope; hides it again on leaving,
// also by an exception.
class ModalScope {
 public:
  ModalScope(TForm& form, bool& modal) : form_(form), modal_(modal) { modal_ = true; }
  ~ModalScope() {
    modal_ = false;
    form_.SetVisible(false);
  }
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;

 private:
  TForm& form_;
  bool& modal_;
};

void AppendTabOrder(const TWinControl& parent, std::vector<TWinControl*>& list) {
  for (TWinControl* c : parent.TabList()) {
    list.push_back(c);
    AppendTabOrder(*c, list);
  }
}

}  // namespace

TForm::TForm() {
  SetBounds(0, 0, 320 + FrameWidth(), 240 + FrameHeight());
  SetVisible(false);
  Screen().AddForm(*this);
}

TForm::~TForm() {
  destroying_ = true;
  activeControl_ = nullptr;
  while (!components_.empty()) components_.pop_back();
  Screen().RemoveForm(*this);
}

std::string TForm::StateText() const { return Quoted(Caption()); }

void TForm::SetBorderStyle(TFormBorderStyle style) {
  const int clientWidth = ClientWidth();
  const int clientHeight = ClientHeight();
  borderStyle_ = style;
  SetBounds(Left(), Top(), clientWidth + FrameWidth(), clientHeight + FrameHeight());
}

void TForm::Adopt(std::unique_ptr<TControl> control, std::string name, TWinControl& parent) {
  control->owner_ = this;
  control->SetName(std::move(name));
  TControl& adopted = *control;
  components_.push_back(std::move(control));
  adopted.SetParent(&parent);
}

TControl* TForm::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (const auto& c : components_) {
    if (SameText(c->Name(), name)) return c.get();
  }
  return nullptr;
}

void TForm::SetActiveControl(TWinControl* control) {
  if (control == activeControl_) return;
  if (control && control->Owner() != this) {
    throw EInvalidOperation("Control " + control->Name() + " belongs to another form");
  }
  if (!modal_) {
    activeControl_ = control;
    return;
  }
  if (control && !control->CanFocus()) {
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  }
  TWinControl* old = activeControl_;
  activeControl_ = control;
  if (old && old->OnExit) old->OnExit(*old);
  if (control && control->OnEnter) control->OnEnter(*control);
  if (old) old->NotifyChanged();
  if (control) control->NotifyChanged();
}

std::vector<TWinControl*> TForm::TabOrderList() const {
  std::vector<TWinControl*> list;
  AppendTabOrder(*this, list);
  return list;
}

TWinControl* TForm::FindNextControl(TWinControl* current, bool forward) const {
  std::vector<TWinControl*> list = TabOrderList();
  if (!forward) std::reverse(list.begin(), list.end());
  const auto start = std::find(list.begin(), list.end(), current);
  const size_t count = list.size();
  const size_t first = start == list.end() ? 0 : size_t(start - list.begin()) + 1;
  for (size_t i = 0; i < count; ++i) {
    TWinControl* c = list[(first + i) % count];
    if (c != current && c->TabStop() && c->CanFocus()) return c;
  }
  return nullptr;
}

void TForm::SelectNext(bool forward) {
  if (TWinControl* next = FindNextControl(activeControl_, forward)) SetActiveControl(next);
}

TButton* TForm::FindButton(bool (TButton::*flag)() const) const {
  for (TWinControl* c : TabOrderList()) {
    auto* button = dynamic_cast<TButton*>(c);
    if (button && (button->*flag)() && button->VisibleInForm()) return button;
  }
  return nullptr;
}

TButton* TForm::DefaultButton() const { return FindButton(&TButton::Default); }
TButton* TForm::CancelButton() const { return FindButton(&TButton::Cancel); }

void TForm::ApplyPosition() {
  if (position_ != poScreenCenter) return;
  SetBounds(std::max(0, (Screen().Width() - Width()) / 2),
            std::max(0, (Screen().Height() - Height()) / 2), Width(), Height());
}

void TForm::FocusOnShow() {
  TWinControl* target = activeControl_;
  activeControl_ = nullptr;
  if (!target || !target->CanFocus()) target = FindNextControl(nullptr, true);
  if (target) SetActiveControl(target);
}

TModalResult TForm::ShowModal() {
  if (modal_) throw EInvalidOperation("Cannot make a visible window modal");
  ModalScope modal(*this, modal_);
  modalResult_ = mrNone;
  ApplyPosition();
  SetVisible(true);
  if (OnShow) OnShow(*this);
  FocusOnShow();
  const TModalResult result = ModalPresenter().ShowModal(*this);
  modalResult_ = result == mrNone ? mrCancel : result;
  return modalResult_;
}

void TForm::Close() {
  if (modal_) modalResult_ = mrCancel;
}
