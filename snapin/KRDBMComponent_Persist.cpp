// The component's own document stream: two little-endian 32-bit words, 0
// then 1. A view keeps no state of its own; the words only mark the place.

#include <array>

#include "snapin/KRComponentData.h"
#include "snapin/KRDBMComponent.h"

namespace {

constexpr uint32_t kStartWord = 0;
constexpr uint32_t kEndWord = 1;
// The most the stream ever needs.
constexpr ULARGE_INTEGER kSizeMax = 10;

HRESULT WriteWord(IStream* stream, uint32_t value) {
  std::array<uint8_t, 4> bytes{};
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
  ULONG written = 0;
  const HRESULT hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
  return SUCCEEDED(hr) && written == bytes.size() ? S_OK : STG_E_CANTSAVE;
}

// Reads one word, however few bytes each read delivers; false at the end of
// the stream or on a failure.
bool ReadWord(IStream* stream, uint32_t& value) {
  std::array<uint8_t, 4> bytes{};
  ULONG total = 0;
  while (total < bytes.size()) {
    ULONG read = 0;
    const HRESULT hr =
        stream->Read(bytes.data() + total, static_cast<ULONG>(bytes.size()) - total, &read);
    if (FAILED(hr) || read == 0) return false;
    total += read;
  }
  value = 0;
  for (size_t i = 0; i < bytes.size(); ++i) value |= uint32_t{bytes[i]} << (8 * i);
  return true;
}

}  // namespace

HRESULT TIComponent::GetClassID(CLSID* classID) {
  if (classID == nullptr) return E_POINTER;
  *classID = CLSID_KRComponentData;
  return E_NOTIMPL;
}

HRESULT TIComponent::IsDirty() { return FDirty ? S_OK : S_FALSE; }

HRESULT TIComponent::Load(IStream* stream) {
  if (stream == nullptr) return E_POINTER;
  FDirty = false;
  uint32_t word = 0;
  if (!ReadWord(stream, word) || word != kStartWord) return S_OK;
  while (ReadWord(stream, word)) {
    if (word == kEndWord) return S_OK;
  }
  return E_FAIL;
}

HRESULT TIComponent::Save(IStream* stream, BOOL) {
  if (stream == nullptr) return E_POINTER;
  if (FAILED(WriteWord(stream, kStartWord)) || FAILED(WriteWord(stream, kEndWord))) {
    return STG_E_CANTSAVE;
  }
  return S_OK;
}

HRESULT TIComponent::GetSizeMax(ULARGE_INTEGER* size) {
  if (size == nullptr) return E_POINTER;
  *size = kSizeMax;
  return S_OK;
}
