// The values of a cursor's rows as one block of bytes, so that a fetch of a thousand rows
// travels as one string instead of thousands of messages, and is read back without one
// allocation per value.
//
// Each value is its type (int32) followed by what the type carries: a double for floats and
// currency; for a text its length in UTF-16 units (int32, -1 for the null text) and the units;
// for a blob its length in bytes (int32, 0 for none) and the bytes; an int32 for every other
// type. Numbers are little-endian, as the texts' UTF-16LE. Names do not travel: every row of a
// cursor names the same fields.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "kestrel/include/KestrelAPI.h"

namespace kestrel::api::wire {

// Appends the `count` values to `block`.
void AppendValues(const KSField* values, size_t count, std::string& block);

// Reads exactly `count` values from `block` and appends them to `values` (their names null).
// Their texts are kept in `texts` (terminated), their blobs point into `block`: both must stay
// unchanged while the values are used. False when the block does not hold exactly `count`
// well-formed values; `values` and `texts` may then hold part of them.
bool ReadValues(std::string_view block, size_t count, std::vector<KSField>& values,
                std::u16string& texts);

}  // namespace kestrel::api::wire
