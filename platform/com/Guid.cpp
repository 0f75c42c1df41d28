#include "platform/com/Guid.h"

#include <sys/random.h>

#include <cerrno>
#include <cstdio>

#include "platform/text/Exception.h"
#include "platform/text/Utf.h"

bool TryGuidFromString(std::string_view text, GUID& out) {
  GUID g{};
  if (!guid_detail::ParseBraced(text, g)) return false;
  out = g;
  return true;
}

bool TryGuidFromString(std::u16string_view text, GUID& out) {
  GUID g{};
  if (!guid_detail::ParseBraced(text, g)) return false;
  out = g;
  return true;
}

GUID GuidFromString(std::string_view text) {
  GUID g{};
  if (!TryGuidFromString(text, g)) {
    throw EConvertError("'" + std::string(text) + "' is not a valid GUID value");
  }
  return g;
}

GUID GuidFromString(std::u16string_view text) {
  GUID g{};
  if (!TryGuidFromString(text, g)) {
    throw EConvertError("'" + Utf16ToUtf8(text) + "' is not a valid GUID value");
  }
  return g;
}

std::string GuidToString(const GUID& g) {
  char buffer[39];
  std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(g.Data1), static_cast<unsigned>(g.Data2),
                static_cast<unsigned>(g.Data3), g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3],
                g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return std::string(buffer, 38);
}

std::u16string GuidToWideString(const GUID& g) {
  const std::string text = GuidToString(g);
  return std::u16string(text.begin(), text.end());
}

HRESULT CLSIDFromString(const char16_t* text, CLSID* out) {
  if (text == nullptr || out == nullptr) return E_INVALIDARG;
  return TryGuidFromString(std::u16string_view(text), *out) ? S_OK : CO_E_CLASSSTRING;
}

int StringFromGUID2(const GUID& g, char16_t* buffer, int size) {
  const std::u16string text = GuidToWideString(g);
  const int needed = static_cast<int>(text.size()) + 1;
  if (buffer == nullptr || size < needed) return 0;
  text.copy(buffer, text.size());
  buffer[text.size()] = u'\0';
  return needed;
}

HRESULT CoCreateGuid(GUID* out) {
  if (out == nullptr) return E_POINTER;
  uint8_t bytes[sizeof(GUID)];
  size_t filled = 0;
  while (filled < sizeof bytes) {
    const ssize_t n = getrandom(bytes + filled, sizeof bytes - filled, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      return E_FAIL;
    }
    filled += static_cast<size_t>(n);
  }
  GUID g;
  std::memcpy(&g, bytes, sizeof g);
  g.Data3 = static_cast<uint16_t>((g.Data3 & 0x0FFF) | 0x4000);
  g.Data4[0] = static_cast<uint8_t>((g.Data4[0] & 0x3F) | 0x80);
  *out = g;
  return S_OK;
}
