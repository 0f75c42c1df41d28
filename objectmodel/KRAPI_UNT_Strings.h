#pragma once
// API strings, string arrays and booleans: the values that cross the Database
// API boundary.
//
// An API string is a zero-terminated UTF-16 text; the null pointer is the null
// API string. Texts become API strings through one process-wide ring of 128
// slots of 1024 units: a converted string stays valid until 128 further
// conversions and is never freed. The ring takes no lock; conversions run on
// the console's thread. Owned API strings (StrAllocW, DuplicateAPIString) are
// blocks whose first 32-bit word holds the block's byte size; FreeAPIString
// releases them. No function here raises.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

using TKRAPIString = const char16_t*;

// The Database API's booleans: 32-bit, and any non-zero value reads as true.
enum TKRAPIBoolean : int32_t { krapiFalse = 0, krapiTrue = 1 };

bool ConvertToBoolean(int32_t value);
int32_t ConvertToAPIBoolean(bool flag);

inline constexpr int kAPIStringRingSlots = 128;
inline constexpr int kAPIStringRingSlotUnits = 1024;

bool IsAPIStringNull(TKRAPIString s);
// Units before the terminator; 0 for the null string.
size_t APIStringLength(TKRAPIString s);
// Copies at most maxLen units of src (stopping at its terminator) into dest,
// which holds maxLen + 1 units, and always terminates dest. Returns dest.
char16_t* APIStringLCopy(char16_t* dest, TKRAPIString src, size_t maxLen);
// Compares unit by unit up to and including s2's terminator; units that differ
// are compared again with a..z folded to A..Z (no other letter folds). Answers
// the difference of the first unequal pair, 0 when there is none.
int32_t APIStringICompare(TKRAPIString s1, TKRAPIString s2);
// As APIStringICompare over at most maxLen units; maxLen 0 answers 0.
int32_t APIStringLICompare(TKRAPIString s1, TKRAPIString s2, size_t maxLen);
// Moves count units; overlapping ranges are safe. Returns dest.
char16_t* StrMoveW(char16_t* dest, const char16_t* src, size_t count);

// An owned string of n units, all zero.
char16_t* StrAllocW(size_t n);
// Null for null, else an owned copy (length + 1 units).
char16_t* DuplicateAPIString(TKRAPIString s);
// Releases an owned string; nothing for null.
void FreeAPIString(char16_t* s);

struct TKRAPIStringDeleter {
  void operator()(char16_t* s) const { FreeAPIString(s); }
};
// An owned API string released by FreeAPIString.
using TKROwnedAPIString = std::unique_ptr<char16_t, TKRAPIStringDeleter>;

// The first unit equal to ch, the terminator included; null if none.
TKRAPIString APIStringScan(TKRAPIString s, char16_t ch);
// Index of p within the string at start (negative when p lies before it).
intptr_t APIStringSubIndex(TKRAPIString start, TKRAPIString p);

// Narrow (UTF-8) and wide text of an API string; empty for null.
std::string ConvertAPIStringToString(TKRAPIString s);
std::u16string ConvertAPIStringToWideString(TKRAPIString s);

// Converts into the next ring slot, cut to at most 1023 units (never inside a
// surrogate pair) and terminated. A null text gives an empty string.
TKRAPIString ConvertPCharToAPIString(const char* p);
TKRAPIString ConvertStringToAPIString(std::string_view s);
TKRAPIString ConvertWideStringToAPIString(std::u16string_view w);

// Appends count API strings of array to list, each as narrow text.
void AddAPIStrings(std::vector<std::string>& list, int32_t count, const TKRAPIString* array);

// One API string per entry (each through the ring); null for an empty list.
// A list of more than 128 entries reuses ring slots, so callers keep such
// lists within 128 entries.
using TKRAPIStringArray = std::unique_ptr<TKRAPIString[]>;
TKRAPIStringArray CreateAPIStrings(const std::vector<std::string>& list);
// Frees the array (not the strings) and sets it to null.
void DestroyAPIStrings(TKRAPIStringArray& array);
