#include "platform/ui/Hotkeys.h"

#include <set>

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

bool IsAsciiAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

std::string StripHotkey(std::string_view caption) {
  std::string shown;
  for (size_t i = 0; i < caption.size(); ++i) {
    // After a mark comes the character shown in its place ('&' for "&&").
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    shown += caption[i];
  }
  return shown;
}

char GetHotkey(std::string_view caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] != '&') return Upper(caption[i + 1]);
    ++i;  // "&&" is a literal '&'
  }
  return '\0';
}

void MarkHotkeys(std::vector<std::string>& captions) {
  std::set<char> taken;
  for (const std::string& caption : captions) {
    if (const char key = GetHotkey(caption); key != '\0') taken.insert(key);
  }
  for (std::string& caption : captions) {
    if (GetHotkey(caption) != '\0') continue;
    for (size_t i = 0; i < caption.size(); ++i) {
      if (caption[i] == '&') {
        ++i;  // the second '&' of a literal one
        continue;
      }
      if (IsAsciiAlnum(caption[i]) && taken.insert(Upper(caption[i])).second) {
        caption.insert(i, 1, '&');
        break;
      }
    }
  }
}
