#pragma once
// TLineEditor: one line of text being typed (the filter, a prompt's answer),
// with a caret counted in code points. Typing inserts at the caret;
// Backspace, Delete, Left, Right, Home, End and Ctrl-U (clear) work as in
// an edit. Keys it does not use answer false.

#include <string>

#include "console/tui/Keys.h"

class TLineEditor {
 public:
  // The caret after the last character, or at `caret` (clamped).
  explicit TLineEditor(std::string text = {});
  TLineEditor(std::string text, int caret);

  const std::string& Text() const { return text_; }
  int Caret() const { return caret_; }
  bool HandleKey(const TKey& key);

 private:
  void Replace(int from, int to, const std::string& insert);

  std::string text_;
  int caret_ = 0;
};
