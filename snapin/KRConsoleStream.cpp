#include "snapin/KRConsoleStream.h"

#include <algorithm>
#include <array>
#include <limits>

namespace {

// The largest piece of a counted string read at once.
constexpr uint32_t kReadChunk = 64 * 1024;

void PutWord(std::string& bytes, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    bytes.push_back(static_cast<char>((value >> shift) & 0xFF));
  }
}

}  // namespace

HRESULT WriteStreamWord(IStream* stream, uint32_t value) {
  std::string bytes;
  PutWord(bytes, value);
  return WriteFully(stream, bytes.data(), static_cast<ULONG>(bytes.size()));
}

HRESULT WriteCountedString(IStream* stream, std::string_view text) {
  // The length word counts the NUL, and the whole record must fit one write.
  if (text.size() >= std::numeric_limits<uint32_t>::max() - 4) return STG_E_INVALIDPARAMETER;
  std::string bytes;
  bytes.reserve(text.size() + 5);
  PutWord(bytes, static_cast<uint32_t>(text.size() + 1));
  bytes.append(text);
  bytes.push_back('\0');
  return WriteFully(stream, bytes.data(), static_cast<ULONG>(bytes.size()));
}

HRESULT ReadStreamWord(IStream* stream, uint32_t& value) {
  std::array<uint8_t, 4> bytes{};
  const HRESULT hr = ReadFully(stream, bytes.data(), static_cast<ULONG>(bytes.size()));
  if (hr != S_OK) return hr;
  value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | bytes[static_cast<size_t>(i)];
  return S_OK;
}

HRESULT ReadCountedString(IStream* stream, std::string& text) {
  text.clear();
  uint32_t length = 0;
  HRESULT hr = ReadStreamWord(stream, length);
  if (hr != S_OK) return hr;
  std::string bytes;
  // A stream may answer a read with fewer bytes than asked; only a read that
  // brings nothing ends the text early.
  while (length > 0) {
    const uint32_t piece = std::min(length, kReadChunk);
    const size_t start = bytes.size();
    bytes.resize(start + piece);
    ULONG got = 0;
    hr = stream->Read(bytes.data() + start, piece, &got);
    got = std::min<ULONG>(got, piece);
    bytes.resize(start + got);
    if (FAILED(hr)) break;
    if (got == 0) {
      hr = S_FALSE;
      break;
    }
    length -= got;
  }
  text.assign(bytes.data(), std::min(bytes.size(), bytes.find('\0')));
  return FAILED(hr) ? hr : (length > 0 ? S_FALSE : S_OK);
}
