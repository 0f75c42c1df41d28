#include "platform/win32/Resources.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/text/Locale.h"

namespace {

struct ModuleResources {
  StringTable Strings;
  std::map<std::string, BitmapResource> Bitmaps;  // by upper-case name
};

struct ResourceState {
  std::mutex Mutex;
  std::map<HINSTANCE, ModuleResources> Modules;
  std::unordered_map<uintptr_t, std::unique_ptr<BitmapResource>> Bitmaps;
  uintptr_t NextBitmap = 0x20000;
};

// Never destroyed: modules may unregister from their own static destructors.
ResourceState& Resources() {
  static ResourceState* state = new ResourceState;
  return *state;
}

std::string_view TrimLine(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
    line.remove_suffix(1);
  }
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  return line;
}

}  // namespace

std::vector<std::string> ReadTranslationFile(const std::string& path, StringTable& table) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {path + ": cannot be opened: " + std::strerror(errno)};
  std::vector<std::string> problems;
  std::map<UINT, int> firstLine;
  std::string raw;
  int lineNumber = 0;
  while (std::getline(file, raw)) {
    ++lineNumber;
    std::string_view line = raw;
    if (lineNumber == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
    if (TrimLine(line).empty() || TrimLine(line).front() == '#' || TrimLine(line).front() == ';') {
      continue;
    }
    const auto report = [&](const std::string& problem) {
      problems.push_back(path + ":" + std::to_string(lineNumber) + ": " + problem);
    };
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      report("'=' expected");
      continue;
    }
    const std::string_view number = TrimLine(line.substr(0, equals));
    UINT id = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), id);
    if (number.empty() || error != std::errc() || end != number.data() + number.size() ||
        id > 65535) {
      report("bad string number \"" + std::string(number) + "\"");
      continue;
    }
    if (auto [it, isNew] = firstLine.emplace(id, lineNumber); !isNew) {
      report("string " + std::to_string(id) + " already given on line " +
             std::to_string(it->second));
      continue;
    }
    std::string_view text = line.substr(equals + 1);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    table[id] = std::string(text);
  }
  return problems;
}

std::vector<std::string> RegisterModuleStrings(HINSTANCE module, StringTable table,
                                               const char* translationVariable) {
  std::vector<std::string> problems;
  if (translationVariable != nullptr) {
    if (const char* path = std::getenv(translationVariable); path != nullptr && *path != '\0') {
      problems = ReadTranslationFile(path, table);
    }
  }
  std::lock_guard lock(Resources().Mutex);
  Resources().Modules[module].Strings = std::move(table);
  return problems;
}

void RegisterModuleBitmap(HINSTANCE module, const std::string& name, BitmapResource bitmap) {
  std::lock_guard lock(Resources().Mutex);
  Resources().Modules[module].Bitmaps[AnsiUpperCase(name)] = std::move(bitmap);
}

void UnregisterModuleResources(HINSTANCE module) {
  std::lock_guard lock(Resources().Mutex);
  Resources().Modules.erase(module);
}

std::string LoadString(HINSTANCE module, UINT id) {
  std::lock_guard lock(Resources().Mutex);
  auto m = Resources().Modules.find(module);
  if (m == Resources().Modules.end()) return {};
  auto s = m->second.Strings.find(id);
  return s == m->second.Strings.end() ? std::string() : s->second;
}

int LoadStringA(HINSTANCE module, UINT id, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  const std::string text = LoadString(module, id);
  size_t length = std::min(text.size(), static_cast<size_t>(size - 1));
  // Step back over continuation bytes so that no UTF-8 sequence is cut.
  if (length < text.size()) {
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  }
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return static_cast<int>(length);
}

HBITMAP LoadBitmap(HINSTANCE module, const char* name) {
  std::lock_guard lock(Resources().Mutex);
  auto m = Resources().Modules.find(module);
  if (name != nullptr && m != Resources().Modules.end()) {
    auto b = m->second.Bitmaps.find(AnsiUpperCase(name));
    if (b != m->second.Bitmaps.end()) {
      const uintptr_t handle = Resources().NextBitmap;
      Resources().NextBitmap += 0x10;
      Resources().Bitmaps.emplace(handle, std::make_unique<BitmapResource>(b->second));
      return reinterpret_cast<HBITMAP>(handle);
    }
  }
  SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
  return nullptr;
}

const BitmapResource* GetBitmapResource(HBITMAP bitmap) {
  std::lock_guard lock(Resources().Mutex);
  auto it = Resources().Bitmaps.find(reinterpret_cast<uintptr_t>(bitmap));
  return it == Resources().Bitmaps.end() ? nullptr : it->second.get();
}

BOOL DeleteObject(HBITMAP bitmap) {
  std::lock_guard lock(Resources().Mutex);
  if (Resources().Bitmaps.erase(reinterpret_cast<uintptr_t>(bitmap)) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
