#pragma once
// The standard controls: label, edit, button, radio button and group box.
//
// Events follow the framework's rules: an edit's OnChange fires whenever its
// text changes, whether code or the user changed it; a button's Click (by
// code or by the user) first hands its modal result, unless mrNone, to its
// form and then fires OnClick; a radio button fires OnClick when it becomes
// checked, and checking it unchecks the other radio buttons of its parent.
// The user entry points (TypeText) are what presenters call on behalf of the
// user; they do not check reachability (see UserInput.h).

#include <string>

#include "platform/ui/Control.h"
#include "platform/ui/ModalResult.h"

enum class TTextAlignment { LeftJustify, RightJustify, Center };

// A text. With AutoSize (the default) the label takes the size of its text;
// with WordWrap as well it keeps its width and takes the wrapped height.
class TLabel : public TControl {
 public:
  TLabel();
  std::string_view ClassName() const override { return "TLabel"; }
  std::string StateText() const override;

  using TControl::SetCaption;
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool wordWrap);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool autoSize);
  TTextAlignment Alignment() const { return alignment_; }
  void SetAlignment(TTextAlignment alignment);
  // The control that takes the focus for this label; of the same form.
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* control);

 protected:
  void CaptionChanged() override { AdjustSize(); }

 private:
  void AdjustSize();

  bool wordWrap_ = false;
  bool autoSize_ = true;
  TTextAlignment alignment_ = TTextAlignment::LeftJustify;
  TWinControl* focusControl_ = nullptr;
};

class TEdit : public TWinControl {
 public:
  TEdit();
  std::string_view ClassName() const override { return "TEdit"; }
  std::string StateText() const override;

  const std::string& Text() const { return text_; }
  // Replaces the text; OnChange fires when it differs from the old one.
  // Code is not held to MaxLength.
  void SetText(std::string text);
  // The user replaces the text: it is cut to MaxLength code points first.
  void TypeText(std::string text);

  // '\0' for none; otherwise every character is shown as this one.
  char PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char c);
  bool ReadOnly() const { return readOnly_; }
  virtual void SetReadOnly(bool readOnly);
  // Most code points the user may enter; 0 for no limit.
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int maxLength) { maxLength_ = maxLength < 0 ? 0 : maxLength; }
  // The text as shown: masked with the password character.
  std::string DisplayText() const;

  TNotifyEvent OnChange;

 protected:
  virtual void Change();

 private:
  std::string text_;
  char passwordChar_ = '\0';
  bool readOnly_ = false;
  int maxLength_ = 0;
};

class TButton : public TWinControl {
 public:
  TButton();
  std::string_view ClassName() const override { return "TButton"; }
  std::string StateText() const override;

  using TControl::SetCaption;
  // The default button answers Enter; the cancel button answers Escape.
  bool Default() const { return default_; }
  void SetDefault(bool isDefault);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool isCancel);
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult result) { modalResult_ = result; }

  virtual void Click();
  TNotifyEvent OnClick;

 private:
  bool default_ = false;
  bool cancel_ = false;
  TModalResult modalResult_ = mrNone;
};

// Only the checked radio button of a group is a tab stop, as on the
// platform.
class TRadioButton : public TWinControl {
 public:
  TRadioButton();
  std::string_view ClassName() const override { return "TRadioButton"; }
  std::string StateText() const override;

  using TControl::SetCaption;
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);

  TNotifyEvent OnClick;

 private:
  bool checked_ = false;
};

class TGroupBox : public TWinControl {
 public:
  TGroupBox();
  std::string_view ClassName() const override { return "TGroupBox"; }
  std::string StateText() const override;

  using TControl::SetCaption;
};
