#pragma once
// UTF-8 <-> UTF-16 conversion. Narrow text is UTF-8 throughout the system and
// wide text is UTF-16. Invalid input never has undefined behaviour: each
// invalid sequence (bad lead byte, truncated or overlong sequence, surrogate
// code point, lone surrogate unit) becomes U+FFFD.

#include <string>
#include <string_view>

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// Number of code units of the zero-terminated UTF-16 text `s` (0 for null).
size_t Utf16Length(const char16_t* s);
