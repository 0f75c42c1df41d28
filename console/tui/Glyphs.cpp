#include "console/tui/Glyphs.h"

#include <algorithm>

#include "platform/text/Utf.h"

std::vector<std::string> Glyphs(std::string_view text) {
  const std::u16string wide = Utf8ToUtf16(text);
  std::vector<std::string> glyphs;
  for (size_t i = 0; i < wide.size(); ++i) {
    const bool pair = wide[i] >= 0xD800 && wide[i] <= 0xDBFF && i + 1 < wide.size();
    glyphs.push_back(Utf16ToUtf8(std::u16string_view(wide).substr(i, pair ? 2 : 1)));
    if (pair) ++i;
  }
  return glyphs;
}

int GlyphCount(std::string_view text) { return int(Glyphs(text).size()); }

std::string GlyphPrefix(std::string_view text, int count) {
  std::string out;
  const std::vector<std::string> glyphs = Glyphs(text);
  for (int i = 0; i < std::min(count, int(glyphs.size())); ++i) out += glyphs[size_t(i)];
  return out;
}

std::string FitText(std::string_view text, int width) {
  if (width <= 0) return {};
  std::string out = GlyphPrefix(text, width);
  return out + std::string(size_t(std::max(0, width - GlyphCount(out))), ' ');
}

namespace {

// Breaks one line (no line breaks inside) into rows.
void WrapLine(const std::vector<std::string>& glyphs, int width, std::vector<std::string>& rows) {
  std::vector<std::string> row;  // glyphs of the row being filled
  size_t i = 0;
  auto flush = [&] {
    while (!row.empty() && row.back() == " ") row.pop_back();
    std::string text;
    for (const std::string& g : row) text += g;
    rows.push_back(text);
    row.clear();
  };
  while (i < glyphs.size()) {
    if (glyphs[i] == " ") {
      if (!row.empty()) row.push_back(" ");
      ++i;
      continue;
    }
    size_t end = i;
    while (end < glyphs.size() && glyphs[end] != " ") ++end;
    const size_t word = end - i;
    if (!row.empty() && row.size() + word > size_t(width)) flush();
    for (; i < end; ++i) {
      if (row.size() == size_t(width)) flush();
      row.push_back(glyphs[i]);
    }
  }
  flush();
}

}  // namespace

std::vector<std::string> WrapText(std::string_view text, int width) {
  std::vector<std::string> rows;
  if (width <= 0) return rows;
  std::vector<std::string> line;
  std::vector<std::string> glyphs = Glyphs(text);
  for (size_t i = 0; i <= glyphs.size(); ++i) {
    if (i < glyphs.size() && glyphs[i] != "\r" && glyphs[i] != "\n") {
      line.push_back(glyphs[i] == "\t" ? " " : glyphs[i]);
      continue;
    }
    WrapLine(line, width, rows);
    line.clear();
    if (i + 1 < glyphs.size() && glyphs[i] == "\r" && glyphs[i + 1] == "\n") ++i;
  }
  return rows;
}
