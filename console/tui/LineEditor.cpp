#include "console/tui/LineEditor.h"

#include <algorithm>
#include <vector>

#include "console/tui/Glyphs.h"

TLineEditor::TLineEditor(std::string text) : text_(std::move(text)), caret_(GlyphCount(text_)) {}

TLineEditor::TLineEditor(std::string text, int caret)
    : text_(std::move(text)), caret_(std::clamp(caret, 0, GlyphCount(text_))) {}

void TLineEditor::Replace(int from, int to, const std::string& insert) {
  const std::vector<std::string> glyphs = Glyphs(text_);
  std::string out;
  for (int i = 0; i < from; ++i) out += glyphs[size_t(i)];
  out += insert;
  for (size_t i = size_t(to); i < glyphs.size(); ++i) out += glyphs[i];
  text_ = out;
  caret_ = from + GlyphCount(insert);
}

bool TLineEditor::HandleKey(const TKey& key) {
  const int length = GlyphCount(text_);
  switch (key.Code) {
    case TKeyCode::Char:
      Replace(caret_, caret_, key.Text);
      return true;
    case TKeyCode::Backspace:
      if (caret_ == 0) return false;
      Replace(caret_ - 1, caret_, "");
      return true;
    case TKeyCode::Delete:
      if (caret_ == length) return false;
      Replace(caret_, caret_ + 1, "");
      return true;
    case TKeyCode::Left:
      if (caret_ == 0) return false;
      --caret_;
      return true;
    case TKeyCode::Right:
      if (caret_ == length) return false;
      ++caret_;
      return true;
    case TKeyCode::Home:
      caret_ = 0;
      return true;
    case TKeyCode::End:
      caret_ = length;
      return true;
    case TKeyCode::Control:
      if (key.Text != "u") return false;
      Replace(0, length, "");
      return true;
    default:
      return false;
  }
}
