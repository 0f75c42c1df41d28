// Text helpers of the engine: UTF-8 <-> UTF-16 conversion (invalid input is replaced by
// U+FFFD, never rejected) and ASCII case-insensitive comparison of names.
#pragma once

#include <string>
#include <string_view>

namespace kestrel {

std::u16string ToUtf16(std::string_view utf8);
std::string ToUtf8(std::u16string_view utf16);
// Equal when the texts differ only in the case of the letters a-z.
bool SameName(std::string_view a, std::string_view b);
// The text with A-Z lowered: two texts are SameName exactly when their keys are equal.
std::string NameKey(std::string_view text);

}  // namespace kestrel
