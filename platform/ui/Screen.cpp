#include "platform/ui/Screen.h"

#include <algorithm>

void TScreen::SetSize(int width, int height) {
  width_ = std::max(0, width);
  height_ = std::max(0, height);
}

void TScreen::RemoveForm(TForm& form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), &form), forms_.end());
}

TScreen& Screen() {
  static TScreen screen;
  return screen;
}
