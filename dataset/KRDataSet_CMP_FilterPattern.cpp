#include "dataset/KRDataSet_CMP_FilterPattern.h"

#include "platform/text/Locale.h"
#include "platform/text/Utf.h"

namespace {

constexpr std::string_view kEscaped = ".$()+[\\]^{|}";

bool IsContinuationByte(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the UTF-8 sequence starting at text[at]; 1 for a byte that
// starts no complete sequence.
size_t SequenceLength(std::string_view text, size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xC2 && lead <= 0xDF ? 2
                                                       : 1;
  if (length == 1 || at + length > text.size()) return 1;
  for (size_t i = 1; i < length; ++i) {
    if (!IsContinuationByte(static_cast<unsigned char>(text[at + i]))) return 1;
  }
  return length;
}

// True when `text` is exactly one character (one code point).
bool IsOneCharacter(std::string_view text) {
  const std::u16string wide = Utf8ToUtf16(text);
  return wide.size() == 1 || (wide.size() == 2 && wide[0] >= 0xD800 && wide[0] <= 0xDBFF);
}

}  // namespace

std::string CombineLowerAndUpperCase(std::string_view character) {
  const std::string lower = AnsiLowerCase(character);
  const std::string upper = AnsiUpperCase(character);
  if (lower == upper || !IsOneCharacter(lower) || !IsOneCharacter(upper)) {
    return std::string(character);
  }
  std::string combined = "[" + lower + upper;
  if (character != lower && character != upper) combined += character;
  return combined + "]";
}

namespace {

// Calls `append(character)` for each character of `text`, a
// character being one UTF-8 sequence (or one stray byte).
template <class Append>
void ForEachCharacter(std::string_view text, Append append) {
  for (size_t at = 0; at < text.size();) {
    const size_t length = SequenceLength(text, at);
    append(text.substr(at, length));
    at += length;
  }
}

bool IsSyntaxCharacter(std::string_view character, std::string_view syntax) {
  return character.size() == 1 && syntax.find(character[0]) != std::string_view::npos;
}

}  // namespace

std::string ConvertToRegularExpression(std::string_view pattern) {
  std::string expression;
  ForEachCharacter(pattern, [&](std::string_view character) {
    if (character == "*") {
      expression += ".*";
    } else if (character == "?") {
      expression += '.';
    } else if (IsSyntaxCharacter(character, kEscaped)) {
      expression += '\\';
      expression += character;
    } else {
      expression += CombineLowerAndUpperCase(character);
    }
  });
  return expression;
}

std::string ConvertToKeyExpression(std::string_view key, bool ignoreCase, bool matchStart) {
  constexpr std::string_view kSyntax = ".$()+[\\]^{|}*?";
  std::string expression = "\\A";
  ForEachCharacter(key, [&](std::string_view character) {
    if (IsSyntaxCharacter(character, kSyntax)) {
      expression += '\\';
      expression += character;
    } else if (ignoreCase) {
      expression += CombineLowerAndUpperCase(character);
    } else {
      expression += character;
    }
  });
  if (!matchStart) expression += "\\z";
  return expression;
}
