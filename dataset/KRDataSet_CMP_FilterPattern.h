#pragma once
// The text patterns a user enters for string fields of a filter, and the
// regular expressions the Database API matches them with.
//
// ConvertToRegularExpression walks the pattern character by character, a
// character being one UTF-8 sequence (a byte that starts no valid sequence
// counts as a character of its own): "*" becomes ".*", "?" becomes ".", each
// of . $ ( ) + [ \ ] ^ { | } is escaped with a backslash, and every other
// character is case-combined. No anchors are added: the API finds the
// expression anywhere in the text, so "berg" matches "Bergen" and "Berg &
// Söhne" alike.
//
// ConvertToKeyExpression(key, ignoreCase, matchStart) answers the expression
// that finds `key` itself, as a whole value ("\A" key "\z") or, with
// matchStart, at the start of the value ("\A" key). Every character of
// expression syntax, "*" and "?" included, is escaped so that it stands for
// itself; with ignoreCase every other character is case-combined.
//
// CombineLowerAndUpperCase(c) answers "[" lower upper "]" when the lower- and
// upper-case forms of the one character c differ, so that matching ignores
// case; a character that is neither of its forms (a title-case letter such as
// "ǅ") is kept in the class as well. A character without case, or one whose
// forms are not single characters (the upper case of "ß" is "SS"), is
// answered as it is.

#include <string>
#include <string_view>

std::string ConvertToRegularExpression(std::string_view pattern);
std::string ConvertToKeyExpression(std::string_view key, bool ignoreCase, bool matchStart);
std::string CombineLowerAndUpperCase(std::string_view character);
