#include "platform/ui/ExtCtrls.h"

#include "platform/ui/FormDescription.h"

TPanel::TPanel() { SetBounds(0, 0, 185, 41); }

std::string TPanel::StateText() const {
  return Caption().empty() ? std::string() : Quoted(Caption());
}

void TPanel::SetBevelOuter(TBevelCut bevel) { SetBevel(bevelOuter_, bevel); }
void TPanel::SetBevelInner(TBevelCut bevel) { SetBevel(bevelInner_, bevel); }

void TPanel::SetBevel(TBevelCut& bevel, TBevelCut value) {
  if (bevel == value) return;
  bevel = value;
  ClientChanged();
  NotifyChanged();
}

TRect TPanel::ClientRect() const {
  const int inset = (bevelOuter_ != bvNone) + (bevelInner_ != bvNone);
  return {inset, inset, Width() - inset, Height() - inset};
}

TImage::TImage() { SetBounds(0, 0, 105, 105); }

std::string TImage::StateText() const {
  return icon_ ? "icon " + std::to_string(icon_) : std::string();
}

void TImage::SetIcon(int icon) {
  if (icon == icon_) return;
  icon_ = icon;
  NotifyChanged();
}
