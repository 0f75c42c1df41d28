#pragma once
// TControl and TWinControl, the base of every control of the form model.
//
// A control belongs to one form (its owner, which creates and frees it: see
// TForm::Add) and sits inside a parent, a windowed control of the same form.
// A windowed control (TWinControl) contains children, keeps its windowed
// children in tab order and can take the focus. Positions are in pixels
// relative to the parent's client area. When a windowed control is resized,
// its children follow their anchors and the aligned ones are laid out again
// (top, bottom, left, right, then client). Every visible change is reported
// to the form's OnControlChanged observer, so a presenter can redraw.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text/Exception.h"
#include "platform/ui/Color.h"
#include "platform/ui/TextMetrics.h"

// Raised for an operation the form model does not allow (a bad name, a
// parent from another form, focusing a control that cannot take the focus).
KR_DECLARE_EXCEPTION(EInvalidOperation, Exception);

class TControl;
class TWinControl;
class TForm;

using TNotifyEvent = std::function<void(TControl& sender)>;

enum TAnchorKind : uint8_t { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = uint8_t;  // a set of TAnchorKind
inline constexpr TAnchors kDefaultAnchors = akLeft | akTop;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

class TControl {
 public:
  TControl() = default;
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;
  virtual ~TControl();

  // The class name shown in descriptions ("TEdit", "TButton", ...).
  virtual std::string_view ClassName() const = 0;
  // The class's own state in a description: caption, text, flags.
  virtual std::string StateText() const;

  TForm* Owner() const { return owner_; }
  // The caption of a captioned control (label, button, panel, ...); empty
  // for the others. Captioned classes make SetCaption public.
  const std::string& Caption() const { return caption_; }
  const std::string& Name() const { return name_; }
  // A name is empty or an identifier (letters, digits, '_', not starting
  // with a digit), unique among its owner's controls regardless of case.
  void SetName(std::string name);

  TWinControl* Parent() const { return parent_; }
  // The parent must be a windowed control of the same form (or the form).
  void SetParent(TWinControl* parent);

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int left) { SetBounds(left, top_, width_, height_); }
  void SetTop(int top) { SetBounds(left_, top, width_, height_); }
  void SetWidth(int width) { SetBounds(left_, top_, width, height_); }
  void SetHeight(int height) { SetBounds(left_, top_, width_, height); }
  // Negative sizes are taken as 0.
  void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }

  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors anchors) { anchors_ = anchors; }
  TAlign Align() const { return align_; }
  void SetAlign(TAlign align);

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  // Visible (enabled) itself and in every parent up to the form.
  bool VisibleInForm() const;
  bool EnabledInForm() const;

  intptr_t Tag() const { return tag_; }
  void SetTag(intptr_t tag) { tag_ = tag; }
  TColor Color() const { return color_; }
  virtual void SetColor(TColor color);
  // The font the control draws with: its form's.
  const TFont& Font() const;

  // The form at the top of the parent chain (the form itself for a form);
  // nullptr for a control that has no parent yet.
  TForm* ParentForm() const;

  // The system colours have changed; the base does nothing.
  virtual void SysColorChange() {}

 protected:
  void SetCaption(std::string caption);
  virtual void CaptionChanged() {}
  // Called after the bounds changed.
  virtual void BoundsChanged() {}
  // Reports a visible change to the form's observer.
  void NotifyChanged();
  // The form this control belongs to, for checks: the owner or the form.
  TForm* HomeForm();

 private:
  friend class TForm;
  friend class TWinControl;

  TForm* owner_ = nullptr;
  TWinControl* parent_ = nullptr;
  std::string name_;
  std::string caption_;
  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
  TAnchors anchors_ = kDefaultAnchors;
  TAlign align_ = alNone;
  bool visible_ = true;
  bool enabled_ = true;
  intptr_t tag_ = 0;
  TColor color_ = clBtnFace;
};

class TWinControl : public TControl {
 public:
  ~TWinControl() override;

  // Children in the order they were placed in this control.
  int ControlCount() const { return int(controls_.size()); }
  TControl& Controls(int index) const { return *controls_.at(size_t(index)); }
  // Windowed children in tab order.
  const std::vector<TWinControl*>& TabList() const { return tabList_; }

  // Position among the parent's windowed children (0-based); -1 without a
  // parent. Setting it moves the control there, clamped to the valid range,
  // and shifts its siblings; without a parent it has no effect (a control
  // placed in a parent comes last).
  int TabOrder() const;
  void SetTabOrder(int order);
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool tabStop) { tabStop_ = tabStop; }

  // Visible and enabled with every parent, on a form.
  bool CanFocus() const;
  // The active control of a form being shown.
  bool Focused() const;
  void SetFocus();

  // The area children are placed in, in this control's coordinates.
  virtual TRect ClientRect() const { return {0, 0, Width(), Height()}; }

  void SysColorChange() override;

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

 protected:
  void BoundsChanged() override { ClientChanged(); }
  // After a change of the client area: moves the children by their anchors
  // as far as its size changed, then lays out the aligned ones.
  void ClientChanged();
  // Lays out the aligned children in the client area.
  void AlignControls();

 private:
  friend class TControl;
  friend class TForm;

  void InsertChild(TControl& child);
  void RemoveChild(TControl& child);

  std::vector<TControl*> controls_;
  std::vector<TWinControl*> tabList_;
  int clientWidth_ = 0;  // of the client area the children were last placed in
  int clientHeight_ = 0;
  bool tabStop_ = false;
  bool aligning_ = false;
};
