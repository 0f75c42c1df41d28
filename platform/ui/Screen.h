#pragma once
// TScreen: the display the forms are shown on (its size in pixels and its
// colour depth, set by the host; 1024 x 768 at 32 bits until then), the
// forms that exist, and the font metrics of TextMetrics.h.

#include <string_view>
#include <vector>

#include "platform/ui/TextMetrics.h"

class TForm;

class TScreen {
 public:
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetSize(int width, int height);
  // Bits per pixel.
  int ColorDepth() const { return colorDepth_; }
  void SetColorDepth(int bitsPerPixel) { colorDepth_ = bitsPerPixel; }

  // Every existing form, oldest first.
  int FormCount() const { return int(forms_.size()); }
  TForm& Forms(int index) const { return *forms_.at(size_t(index)); }

  int AverageCharWidth(const TFont& font) const { return ::AverageCharWidth(font); }
  int TextHeight(const TFont& font) const { return ::TextHeight(font); }
  TSize MeasureText(const TFont& font, std::string_view text, int maxWidth, bool wordWrap) const {
    return ::MeasureText(font, text, maxWidth, wordWrap);
  }

 private:
  friend class TForm;
  void AddForm(TForm& form) { forms_.push_back(&form); }
  void RemoveForm(TForm& form);

  int width_ = 1024;
  int height_ = 768;
  int colorDepth_ = 32;
  std::vector<TForm*> forms_;
};

TScreen& Screen();
