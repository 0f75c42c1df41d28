#include "platform/ui/Control.h"

#include <algorithm>

#include "platform/ui/Form.h"

namespace {

bool IsIdentifier(std::string_view name) {
  auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (name.empty() || !letter(name[0])) return false;
  return std::all_of(name.begin(), name.end(), [&](char c) { return letter(c) || digit(c); });
}

const TFont& DefaultFont() {
  static const TFont font;
  return font;
}

}  // namespace

TControl::~TControl() {
  if (parent_) parent_->RemoveChild(*this);
}

std::string TControl::StateText() const { return ""; }

void TControl::SetName(std::string name) {
  if (name == name_) return;
  if (!name.empty() && !IsIdentifier(name)) {
    throw EInvalidOperation("Component name \"" + name + "\" is not a valid identifier");
  }
  if (owner_ && !name.empty()) {
    TControl* other = owner_->FindComponent(name);
    if (other && other != this) {
      throw EInvalidOperation("A component named " + name + " already exists");
    }
  }
  name_ = std::move(name);
}

TForm* TControl::HomeForm() {
  if (auto* form = dynamic_cast<TForm*>(this)) return form;
  return owner_;
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent) {
    if (!owner_ || parent->HomeForm() != owner_) {
      throw EInvalidOperation("Control " + name_ +
                              " cannot be placed in a control of another form");
    }
    for (TControl* p = parent; p; p = p->parent_) {
      if (p == this) throw EInvalidOperation("Control " + name_ + " cannot contain itself");
    }
  }
  if (TWinControl* old = parent_) {
    old->RemoveChild(*this);
    if (align_ != alNone) old->AlignControls();
    old->NotifyChanged();
  }
  if (parent) {
    parent->InsertChild(*this);
    if (align_ != alNone) parent->AlignControls();
  }
  NotifyChanged();
}

void TControl::SetBounds(int left, int top, int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  BoundsChanged();
  if (parent_ && align_ != alNone && !parent_->aligning_) parent_->AlignControls();
  NotifyChanged();
}

void TControl::SetAlign(TAlign align) {
  if (align == align_) return;
  align_ = align;
  if (parent_) parent_->AlignControls();
}

void TControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  if (parent_ && align_ != alNone) parent_->AlignControls();
  NotifyChanged();
}

void TControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  NotifyChanged();
}

bool TControl::VisibleInForm() const {
  for (const TControl* c = this; c; c = c->parent_) {
    if (!c->visible_ && !dynamic_cast<const TForm*>(c)) return false;
  }
  return true;
}

bool TControl::EnabledInForm() const {
  for (const TControl* c = this; c; c = c->parent_) {
    if (!c->enabled_) return false;
  }
  return true;
}

void TControl::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  NotifyChanged();
}

const TFont& TControl::Font() const {
  const TForm* form = ParentForm();
  if (!form) form = owner_;
  return form ? form->font_ : DefaultFont();
}

TForm* TControl::ParentForm() const {
  const TControl* top = this;
  while (top->parent_) top = top->parent_;
  return dynamic_cast<TForm*>(const_cast<TControl*>(top));
}

void TControl::SetCaption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  CaptionChanged();
  NotifyChanged();
}

void TControl::NotifyChanged() {
  TForm* form = ParentForm();
  if (form && !form->destroying_ && form->OnControlChanged) form->OnControlChanged(*this);
}

TWinControl::~TWinControl() {
  for (TControl* child : controls_) child->parent_ = nullptr;
}

int TWinControl::TabOrder() const {
  if (!Parent()) return -1;
  const auto& list = Parent()->tabList_;
  return int(std::find(list.begin(), list.end(), this) - list.begin());
}

void TWinControl::SetTabOrder(int order) {
  if (!Parent()) return;
  auto& list = Parent()->tabList_;
  list.erase(std::find(list.begin(), list.end(), this));
  order = std::clamp(order, 0, int(list.size()));
  list.insert(list.begin() + order, this);
}

bool TWinControl::CanFocus() const {
  return ParentForm() != nullptr && !dynamic_cast<const TForm*>(this) && VisibleInForm() &&
         EnabledInForm();
}

bool TWinControl::Focused() const {
  const TForm* form = ParentForm();
  return form && form->Modal() && form->ActiveControl() == this;
}

void TWinControl::SetFocus() {
  TForm* form = ParentForm();
  if (!form) throw EInvalidOperation("Control " + Name() + " is not on a form");
  form->SetActiveControl(this);
}

void TWinControl::SysColorChange() {
  for (TControl* child : controls_) child->SysColorChange();
}

void TWinControl::InsertChild(TControl& child) {
  controls_.push_back(&child);
  child.parent_ = this;
  if (auto* win = dynamic_cast<TWinControl*>(&child)) tabList_.push_back(win);
}

void TWinControl::RemoveChild(TControl& child) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), &child), controls_.end());
  tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), &child), tabList_.end());
  child.parent_ = nullptr;
}

void TWinControl::ClientChanged() {
  const TRect client = ClientRect();
  const int dw = client.Width() - clientWidth_;
  const int dh = client.Height() - clientHeight_;
  clientWidth_ = client.Width();
  clientHeight_ = client.Height();
  if (dw == 0 && dh == 0) return;
  // Copy: moving a child may not change the list, but be safe against it.
  const std::vector<TControl*> children = controls_;
  for (TControl* c : children) {
    if (c->align_ != alNone) continue;
    int left = c->left_, top = c->top_, width = c->width_, height = c->height_;
    const TAnchors a = c->anchors_;
    if (a & akRight) {
      if (a & akLeft)
        width += dw;
      else
        left += dw;
    } else if (!(a & akLeft)) {
      left += dw / 2;
    }
    if (a & akBottom) {
      if (a & akTop)
        height += dh;
      else
        top += dh;
    } else if (!(a & akTop)) {
      top += dh / 2;
    }
    c->SetBounds(left, top, width, height);
  }
  AlignControls();
}

void TWinControl::AlignControls() {
  if (aligning_) return;
  aligning_ = true;
  TRect r = ClientRect();
  auto byAlign = [&](TAlign align) {
    std::vector<TControl*> list;
    for (TControl* c : controls_) {
      if (c->align_ == align && c->visible_) list.push_back(c);
    }
    // Stable: among equal positions the one placed first comes first.
    std::stable_sort(list.begin(), list.end(), [align](TControl* a, TControl* b) {
      switch (align) {
        case alTop:
          return a->top_ < b->top_;
        case alBottom:
          return a->top_ + a->height_ > b->top_ + b->height_;
        case alLeft:
          return a->left_ < b->left_;
        case alRight:
          return a->left_ + a->width_ > b->left_ + b->width_;
        default:
          return false;
      }
    });
    return list;
  };
  for (TControl* c : byAlign(alTop)) {
    c->SetBounds(r.Left, r.Top, r.Width(), c->height_);
    r.Top += c->height_;
  }
  for (TControl* c : byAlign(alBottom)) {
    c->SetBounds(r.Left, r.Bottom - c->height_, r.Width(), c->height_);
    r.Bottom -= c->height_;
  }
  for (TControl* c : byAlign(alLeft)) {
    c->SetBounds(r.Left, r.Top, c->width_, std::max(0, r.Height()));
    r.Left += c->width_;
  }
  for (TControl* c : byAlign(alRight)) {
    c->SetBounds(r.Right - c->width_, r.Top, c->width_, std::max(0, r.Height()));
    r.Right -= c->width_;
  }
  for (TControl* c : byAlign(alClient)) {
    c->SetBounds(r.Left, r.Top, std::max(0, r.Width()), std::max(0, r.Height()));
  }
  aligning_ = false;
}
