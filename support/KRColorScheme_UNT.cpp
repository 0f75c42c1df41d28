#include "support/KRColorScheme_UNT.h"

#include <algorithm>

#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "support/ColorModels_UNT.h"

namespace {

TColor& ReadOnlyColor() {
  static TColor color = kReadOnlyColorUnset;
  return color;
}

TColor ComputeReadOnlyColor() {
  if (Application().MainWindow() != 0 && Screen().ColorDepth() <= 8) return clBtnFace;
  const TColorMixer window(clWindow);
  const bool dark = window.GreyTone() <= 0.5;
  const double lightness = window.HLSLightness();
  if (window.HLSSaturation() <= 0.1) {
    return MixColorAbsolute(clBtnFace, dark ? std::max(1.3 * lightness, 0.25) : 0.9 * lightness);
  }
  return MixColorRelative(clWindow, dark ? 0.2 : -0.1);
}

}  // namespace

void RecalcApplicationColors() { ReadOnlyColor() = ComputeReadOnlyColor(); }

TColor GetApplicationReadOnlyColor() {
  if (ReadOnlyColor() == kReadOnlyColorUnset) RecalcApplicationColors();
  return ReadOnlyColor();
}

void ResetApplicationColors() { ReadOnlyColor() = kReadOnlyColorUnset; }
