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
