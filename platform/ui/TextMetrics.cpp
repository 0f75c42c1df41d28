#include "platform/ui/TextMetrics.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/text/Utf.h"

namespace {

// Cells of one code point run (no tabs, no line breaks).
int CodePoints(std::string_view text) {
  const std::u16string wide = Utf8ToUtf16(text);
  return int(
      std::count_if(wide.begin(), wide.end(), [](char16_t u) { return u < 0xDC00 || u > 0xDFFF; }));
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Cells taken by the blanks `run` placed at column `col`.
int BlankCells(std::string_view run, int col) {
  int start = col;
  for (char c : run) col = c == '\t' ? (col / kTabCells + 1) * kTabCells : col + 1;
  return col - start;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  lines.push_back(text.substr(start));
  return lines;
}

// Lays out one line; answers the number of rows and the widest row in cells.
void LayoutLine(std::string_view line, int maxCells, bool wordWrap, int& rows, int& widest) {
  int col = 0;           // cells of the current row, trailing blanks excluded
  int pendingBlank = 0;  // cells of blanks after the last word of the row
  bool rowHasWord = false;
  size_t i = 0;
  while (i < line.size()) {
    size_t j = i;
    if (IsBlank(line[i])) {
      while (j < line.size() && IsBlank(line[j])) ++j;
      pendingBlank += BlankCells(line.substr(i, j - i), col + pendingBlank);
    } else {
      while (j < line.size() && !IsBlank(line[j])) ++j;
      const int word = CodePoints(line.substr(i, j - i));
      if (wordWrap && rowHasWord && col + pendingBlank + word > maxCells) {
        widest = std::max(widest, col);
        ++rows;
        col = word;
      } else {
        col += pendingBlank + word;
      }
      pendingBlank = 0;
      rowHasWord = true;
    }
    i = j;
  }
  if (!wordWrap) col += pendingBlank;
  widest = std::max(widest, col);
  ++rows;
}

}  // namespace

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const long long product = static_cast<long long>(a) * b;
  const long long half = std::llabs(static_cast<long long>(c)) / 2;
  const bool negative = (product < 0) != (c < 0);
  const long long magnitude = (std::llabs(product) + half) / std::llabs(static_cast<long long>(c));
  return int(negative ? -magnitude : magnitude);
}

int TextWidth(const TFont& font, std::string_view text) {
  return MeasureText(font, text, 0, false).cx;
}

int TextHeight(const TFont&) { return kCellHeight; }

int AverageCharWidth(const TFont& font) {
  return TextWidth(font, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52;
}

TSize MeasureText(const TFont&, std::string_view text, int maxWidth, bool wordWrap) {
  if (text.empty()) return {};
  int rows = 0;
  int widest = 0;
  const int maxCells = std::max(0, maxWidth) / kCellWidth;
  for (std::string_view line : SplitLines(text)) LayoutLine(line, maxCells, wordWrap, rows, widest);
  return {widest * kCellWidth, rows * kCellHeight};
}
