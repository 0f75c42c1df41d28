#pragma once
// Panels and images.

#include "platform/ui/Control.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// A container, usually aligned to a side of its parent. Each bevel that is
// not bvNone takes one pixel off every side of the client area.
class TPanel : public TWinControl {
 public:
  TPanel();
  std::string_view ClassName() const override { return "TPanel"; }
  std::string StateText() const override;

  using TControl::SetCaption;
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut bevel);
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut bevel);

  TRect ClientRect() const override;

 private:
  void SetBevel(TBevelCut& bevel, TBevelCut value);

  TBevelCut bevelOuter_ = bvRaised;
  TBevelCut bevelInner_ = bvNone;
};

// A picture: one of the system icons (IDI_*), or 0 for none.
class TImage : public TControl {
 public:
  TImage();
  std::string_view ClassName() const override { return "TImage"; }
  std::string StateText() const override;

  int Icon() const { return icon_; }
  void SetIcon(int icon);

 private:
  int icon_ = 0;
};
