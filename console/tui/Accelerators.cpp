#include "console/tui/Accelerators.h"

#include <cctype>

#include "console/tui/Glyphs.h"
#include "platform/text/Locale.h"

namespace {

bool IsLetterOrDigit(const std::string& glyph) {
  // Every code point beyond ASCII is taken for a letter: captions are words.
  return glyph.size() > 1 || std::isalnum(static_cast<unsigned char>(glyph[0])) != 0;
}

}  // namespace

TShownCaption ShownCaption(std::string_view caption) {
  TShownCaption shown;
  const std::vector<std::string> glyphs = Glyphs(caption);
  int first = -1;
  int count = 0;
  for (size_t i = 0; i < glyphs.size(); ++i, ++count) {
    if (glyphs[i] == "&" && i + 1 < glyphs.size()) {
      ++i;
      if (glyphs[i] != "&" && shown.Key < 0) shown.Key = count;
    }
    if (first < 0 && IsLetterOrDigit(glyphs[i])) first = count;
    shown.Text += glyphs[i];
  }
  if (shown.Key < 0) shown.Key = first;
  return shown;
}

std::string AcceleratorOf(std::string_view caption) {
  const TShownCaption shown = ShownCaption(caption);
  if (shown.Key < 0) return {};
  return AnsiLowerCase(Glyphs(shown.Text)[size_t(shown.Key)]);
}
