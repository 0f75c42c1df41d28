#pragma once
// Case mapping and comparison of narrow (UTF-8) and wide (UTF-16) text.
//
// LowerCase/UpperCase/CompareText/SameText touch only the ASCII letters A-Z
// and compare code units ordinally, so their results never depend on a
// locale. The Ansi* and Wide* functions are locale-aware: case mapping uses
// the root locale's full Unicode rules (no Turkish dotless i), comparison uses
// the root collator. Compare functions answer negative, zero or positive.
// Every function is safe to call from several threads at once.

#include <string>
#include <string_view>

std::string LowerCase(std::string_view text);
std::string UpperCase(std::string_view text);
std::u16string LowerCase(std::u16string_view text);
std::u16string UpperCase(std::u16string_view text);

// Ordinal comparison after mapping A-Z to a-z.
int CompareText(std::string_view a, std::string_view b);
int CompareText(std::u16string_view a, std::u16string_view b);
bool SameText(std::string_view a, std::string_view b);
bool SameText(std::u16string_view a, std::u16string_view b);

std::string AnsiLowerCase(std::string_view text);
std::string AnsiUpperCase(std::string_view text);
std::u16string WideLowerCase(std::u16string_view text);
std::u16string WideUpperCase(std::u16string_view text);

// Collation ignoring case (accents still count).
int AnsiCompareText(std::string_view a, std::string_view b);
int WideCompareText(std::u16string_view a, std::u16string_view b);
bool AnsiSameText(std::string_view a, std::string_view b);
bool WideSameText(std::u16string_view a, std::u16string_view b);

// Collation with case: zero only for canonically equivalent texts;
// of two texts differing only in case the lower-case one sorts first.
int AnsiCompareStr(std::string_view a, std::string_view b);
int WideCompareStr(std::u16string_view a, std::u16string_view b);
