#pragma once
// The two value kinds of the console document stream: 32-bit unsigned
// little-endian words, and counted strings (a word holding the text's byte
// length plus one, the text's bytes, one NUL byte). Text is UTF-8, stored as
// its bytes.
//
// Reading results: S_OK when the value was read in full; S_FALSE when the
// stream ended first; otherwise the stream's failure.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/com/Stream.h"

inline constexpr uint32_t krConsoleStreamHeader = 0;
inline constexpr uint32_t krTagEnd = 1;
inline constexpr uint32_t krTagDBGroup = 2;
inline constexpr uint32_t krTagServer = 3;
inline constexpr uint32_t krTagComputer = 4;

// Both answer S_OK or the failure (STG_E_MEDIUMFULL for a short write).
HRESULT WriteStreamWord(IStream* stream, uint32_t value);
HRESULT WriteCountedString(IStream* stream, std::string_view text);

HRESULT ReadStreamWord(IStream* stream, uint32_t& value);
// `text` becomes the bytes read up to the first NUL (all of them when there
// is none). A length larger than what the stream still holds ends the text at
// what could be read (S_FALSE); memory grows with the bytes that arrive, not
// with the announced length.
HRESULT ReadCountedString(IStream* stream, std::string& text);
