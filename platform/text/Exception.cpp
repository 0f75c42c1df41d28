#include "platform/text/Exception.h"

namespace {

bool SameAsciiNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

bool ClassInheritsFrom(const ExceptionClass& cls, std::string_view className) {
  for (const ExceptionClass* c = &cls; c != nullptr; c = c->parent) {
    if (SameAsciiNoCase(c->name, className)) return true;
  }
  return false;
}

bool Exception::InheritsFrom(std::string_view className) const {
  return ClassInheritsFrom(Class(), className);
}
