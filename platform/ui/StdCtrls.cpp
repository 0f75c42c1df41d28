#include "platform/ui/StdCtrls.h"

#include "platform/ui/Form.h"
#include "platform/ui/FormDescription.h"

namespace {

// Cuts `text` after `count` code points.
std::string FirstCodePoints(const std::string& text, int count) {
  int seen = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if ((byte & 0xC0) != 0x80 && seen++ == count) return text.substr(0, i);
  }
  return text;
}

size_t CodePointCount(const std::string& text) {
  size_t count = 0;
  for (char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

std::string Flag(bool on, const char* word) { return on ? std::string(" ") + word : ""; }

}  // namespace

TLabel::TLabel() {
  SetBounds(0, 0, 0, 0);
  AdjustSize();
}

std::string TLabel::StateText() const {
  return Quoted(Caption()) + Flag(wordWrap_, "word wrap") +
         (focusControl_ ? " for " + focusControl_->Name() : "");
}

void TLabel::SetWordWrap(bool wordWrap) {
  if (wordWrap == wordWrap_) return;
  wordWrap_ = wordWrap;
  AdjustSize();
  NotifyChanged();
}

void TLabel::SetAutoSize(bool autoSize) {
  if (autoSize == autoSize_) return;
  autoSize_ = autoSize;
  AdjustSize();
}

void TLabel::SetAlignment(TTextAlignment alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  NotifyChanged();
}

void TLabel::SetFocusControl(TWinControl* control) {
  if (control && control->Owner() != Owner()) {
    throw EInvalidOperation("Label " + Name() + " cannot refer to a control of another form");
  }
  focusControl_ = control;
}

void TLabel::AdjustSize() {
  if (!autoSize_) return;
  // An empty caption still takes the height of one line.
  const std::string& text = Caption().empty() ? std::string(" ") : Caption();
  const TSize size = MeasureText(Font(), text, Width(), wordWrap_);
  SetBounds(Left(), Top(), wordWrap_ ? Width() : size.cx, size.cy);
}

TEdit::TEdit() {
  SetBounds(0, 0, 121, 21);
  SetColor(clWindow);
  SetTabStop(true);
}

std::string TEdit::StateText() const {
  return "text " + Quoted(DisplayText()) + Flag(readOnly_, "read-only");
}

void TEdit::SetText(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  NotifyChanged();
  Change();
}

void TEdit::TypeText(std::string text) {
  SetText(maxLength_ > 0 ? FirstCodePoints(text, maxLength_) : std::move(text));
}

void TEdit::SetPasswordChar(char c) {
  if (c == passwordChar_) return;
  passwordChar_ = c;
  NotifyChanged();
}

void TEdit::SetReadOnly(bool readOnly) {
  if (readOnly == readOnly_) return;
  readOnly_ = readOnly;
  NotifyChanged();
}

std::string TEdit::DisplayText() const {
  if (passwordChar_ == '\0') return text_;
  return std::string(CodePointCount(text_), passwordChar_);
}

void TEdit::Change() {
  if (OnChange) OnChange(*this);
}

TButton::TButton() {
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
}

std::string TButton::StateText() const {
  std::string s = Quoted(Caption()) + Flag(default_, "default") + Flag(cancel_, "cancel");
  if (modalResult_ != mrNone) s += " modal result " + std::to_string(modalResult_);
  return s;
}

void TButton::SetDefault(bool isDefault) {
  if (isDefault == default_) return;
  default_ = isDefault;
  NotifyChanged();
}

void TButton::SetCancel(bool isCancel) { cancel_ = isCancel; }

void TButton::Click() {
  if (modalResult_ != mrNone) {
    if (TForm* form = ParentForm()) form->SetModalResult(modalResult_);
  }
  if (OnClick) OnClick(*this);
}

TRadioButton::TRadioButton() { SetBounds(0, 0, 113, 17); }

std::string TRadioButton::StateText() const {
  return Quoted(Caption()) + Flag(checked_, "checked");
}

void TRadioButton::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  SetTabStop(checked);
  if (checked && Parent()) {
    for (TWinControl* sibling : Parent()->TabList()) {
      auto* radio = dynamic_cast<TRadioButton*>(sibling);
      if (radio && radio != this) radio->SetChecked(false);
    }
  }
  NotifyChanged();
  if (checked && OnClick) OnClick(*this);
}

TGroupBox::TGroupBox() { SetBounds(0, 0, 185, 105); }

std::string TGroupBox::StateText() const { return Quoted(Caption()); }
