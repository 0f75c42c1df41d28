#include "platform/com/Clipboard.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/com/TaskMemory.h"
#include "platform/text/Utf.h"

namespace {

constexpr UINT kFirstFormat = 0xC000;
constexpr UINT kLastFormat = 0xFFFF;

std::string FoldCase(std::string_view name) {
  std::string key(name);
  for (char& c : key) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return key;
}

class FormatTable {
 public:
  static FormatTable& Instance() {
    static FormatTable table;
    return table;
  }

  UINT Register(std::string_view name) {
    if (name.empty()) return 0;
    std::string key = FoldCase(name);
    std::lock_guard lock(mutex_);
    const auto found = numbers_.find(key);
    if (found != numbers_.end()) return found->second;
    if (names_.size() > kLastFormat - kFirstFormat) return 0;
    const UINT number = kFirstFormat + static_cast<UINT>(names_.size());
    names_.emplace_back(name);
    numbers_.emplace(std::move(key), number);
    return number;
  }

  bool NameOf(UINT format, std::string& name) {
    std::lock_guard lock(mutex_);
    if (format < kFirstFormat || format - kFirstFormat >= names_.size()) return false;
    name = names_[format - kFirstFormat];
    return true;
  }

 private:
  std::mutex mutex_;
  std::unordered_map<std::string, UINT> numbers_;
  std::vector<std::string> names_;  // by number - kFirstFormat, as registered
};

}  // namespace

UINT RegisterClipboardFormatA(const char* name) {
  return name == nullptr ? 0 : FormatTable::Instance().Register(name);
}

UINT RegisterClipboardFormatW(const char16_t* name) {
  return name == nullptr ? 0 : FormatTable::Instance().Register(Utf16ToUtf8(name));
}

int GetClipboardFormatNameA(UINT format, char* buffer, int size) {
  std::string name;
  if (buffer == nullptr || size <= 0 || !FormatTable::Instance().NameOf(format, name)) return 0;
  const size_t count = std::min(name.size(), static_cast<size_t>(size) - 1);
  std::memcpy(buffer, name.data(), count);
  buffer[count] = '\0';
  return static_cast<int>(count);
}

void ReleaseStgMedium(STGMEDIUM* medium) {
  if (medium == nullptr) return;
  if (medium->pUnkForRelease != nullptr) {
    medium->pUnkForRelease->Release();
  } else {
    switch (medium->tymed) {
      case TYMED_HGLOBAL:
        GlobalFree(medium->hGlobal);
        break;
      case TYMED_FILE:
        CoTaskMemFree(medium->lpszFileName);
        break;
      case TYMED_ISTREAM:
        if (medium->pstm != nullptr) medium->pstm->Release();
        break;
      case TYMED_ISTORAGE:
        if (medium->pstg != nullptr) medium->pstg->Release();
        break;
      default:
        break;
    }
  }
  std::memset(medium, 0, sizeof *medium);
}
