#pragma once
// TForm: a window of the form model. It owns its controls (created with
// Add, freed with the form), finds them by name, keeps the active control and
// the modal result. ShowModal applies the position, fires OnShow, focuses the
// active control (or the first tab stop) and hands the form to the installed
// presenter, which runs it until the modal result is not mrNone; that result
// is answered. The frame around the client area is one character cell on
// every side except bsNone (the caption takes the top cell).

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/Control.h"
#include "platform/ui/ModalResult.h"

class TButton;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TPosition { poDesigned, poDefault, poScreenCenter };

class TForm : public TWinControl {
 public:
  TForm();
  ~TForm() override;
  std::string_view ClassName() const override { return "TForm"; }
  std::string StateText() const override;

  using TControl::SetCaption;

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  // Keeps the client size.
  void SetBorderStyle(TFormBorderStyle style);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition position) { position_ = position; }

  int ClientWidth() const { return Width() - FrameWidth(); }
  int ClientHeight() const { return Height() - FrameHeight(); }
  void SetClientWidth(int width) { SetWidth(width + FrameWidth()); }
  void SetClientHeight(int height) { SetHeight(height + FrameHeight()); }
  TRect ClientRect() const override { return {0, 0, ClientWidth(), ClientHeight()}; }

  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult result) { modalResult_ = result; }
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int context) { helpContext_ = context; }
  using TControl::Font;
  TFont& Font() { return font_; }
  void SetFont(const TFont& font) { font_ = font; }

  // Creates a control of class T (constructed from `args`), owned by this
  // form, named `name` and placed in `parent`.
  template <class T, class... Args>
  T& Add(TWinControl& parent, std::string name, Args&&... args) {
    auto control = std::make_unique<T>(std::forward<Args>(args)...);
    T& result = *control;
    Adopt(std::move(control), std::move(name), parent);
    return result;
  }
  template <class T, class... Args>
  T& Add(std::string name, Args&&... args) {
    return Add<T>(*this, std::move(name), std::forward<Args>(args)...);
  }

  int ComponentCount() const { return int(components_.size()); }
  TControl& Components(int index) const { return *components_.at(size_t(index)); }
  // The owned control of that name regardless of case; nullptr if none.
  TControl* FindComponent(std::string_view name) const;

  // While the form is shown, the focused control; before, the one to focus
  // when it is shown. Setting it on a shown form moves the focus (OnExit of
  // the old control, then OnEnter of the new one) and raises
  // EInvalidOperation for a control that cannot take the focus.
  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* control);
  // The next focusable tab stop after `current` in tab order, wrapping
  // around (backwards when !forward); nullptr when there is none other.
  TWinControl* FindNextControl(TWinControl* current, bool forward) const;
  void SelectNext(bool forward);
  // Every windowed control, depth first in tab order.
  std::vector<TWinControl*> TabOrderList() const;

  // The first visible button flagged Default (Cancel) in tab order.
  TButton* DefaultButton() const;
  TButton* CancelButton() const;

  TModalResult ShowModal();
  // True while the form is being shown modally.
  bool Modal() const { return modal_; }
  // Closes a modal form with mrCancel.
  void Close();

  TNotifyEvent OnShow;
  // Told of every visible change of the form or one of its controls.
  std::function<void(TControl&)> OnControlChanged;

 private:
  int FrameWidth() const { return borderStyle_ == bsNone ? 0 : 2 * kCellWidth; }
  int FrameHeight() const { return borderStyle_ == bsNone ? 0 : 2 * kCellHeight; }
  void Adopt(std::unique_ptr<TControl> control, std::string name, TWinControl& parent);
  void ApplyPosition();
  void FocusOnShow();
  TButton* FindButton(bool (TButton::*flag)() const) const;

  std::vector<std::unique_ptr<TControl>> components_;
  TFormBorderStyle borderStyle_ = bsSizeable;
  TPosition position_ = poDesigned;
  TModalResult modalResult_ = mrNone;
  int helpContext_ = 0;
  TFont font_;
  TWinControl* activeControl_ = nullptr;
  bool modal_ = false;
  bool destroying_ = false;

  friend class TControl;
  friend class TWinControl;
};
