#pragma once
// Unaligned reads and writes of the values in a table's record buffers, and
// the blob slots' byte arrays.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using TKRBlobBytes = std::vector<uint8_t>;

template <class T>
T ReadAt(const uint8_t* data) {
  T value;
  std::memcpy(&value, data, sizeof value);
  return value;
}

template <class T>
void WriteAt(uint8_t* data, T value) {
  std::memcpy(data, &value, sizeof value);
}

// The zero-terminated UTF-16 text at `data`, which need not be aligned.
inline std::u16string ReadTextAt(const uint8_t* data) {
  std::u16string text;
  for (char16_t c = ReadAt<char16_t>(data); c != 0; c = ReadAt<char16_t>(data)) {
    text.push_back(c);
    data += sizeof c;
  }
  return text;
}

// Writes `text` (null for empty) at `data`: at most `room` characters, then
// the terminator; `data` need not be aligned.
inline void WriteTextAt(uint8_t* data, const char16_t* text, int32_t room) {
  size_t length = 0;
  while (text != nullptr && length < size_t(room > 0 ? room : 0) && text[length] != 0) ++length;
  if (length > 0) std::memcpy(data, text, length * sizeof(char16_t));
  WriteAt(data + length * sizeof(char16_t), char16_t(0));
}
