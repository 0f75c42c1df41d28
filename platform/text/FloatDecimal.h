#pragma once
// Internal to the number text functions: a finite double as decimal digits,
// rounded the way the runtime rounds. A value is first taken to at most 15
// significant digits (what a double reliably holds), then rounded again to
// the digits a format shows, halves away from zero, so that 2.675 shown with
// two decimals is 2.68 and 0.125 is 0.13.

#include <string>

#include "platform/text/FormatSettings.h"

namespace text_detail {

// value = 0.d1d2d3... x 10^exponent; digits hold no trailing zeros and are
// empty for zero (exponent is then 0).
struct DecimalRec {
  bool negative = false;
  int exponent = 0;
  std::string digits;
};

// `precision` significant digits, 1..17; `value` must be finite.
DecimalRec ToDecimal(double value, int precision = 15);

// Keeps the first `keep` digits (none when keep <= 0), rounding half up.
void RoundDigits(DecimalRec& rec, int keep);

// Rounds to `decimals` digits after the point.
inline void RoundDecimals(DecimalRec& rec, int decimals) {
  RoundDigits(rec, rec.exponent + decimals);
}

// The digit of rec at position `index` (0 = first), '0' beyond the digits.
inline char DigitAt(const DecimalRec& rec, int index) {
  return index >= 0 && index < static_cast<int>(rec.digits.size()) ? rec.digits[index] : '0';
}

// "NAN", "INF" or "-INF" for a value that is not finite, else empty.
std::string SpecialText(double value);

// The integer digits ("0" for none), `decimals` fraction digits, the
// separators of `fs`, a thousand separator every three integer digits when
// `thousands`. No sign.
std::string FixedText(const DecimalRec& rec, int decimals, bool thousands,
                      const TFormatSettings& fs);

// The sign ('-', or '+' only when `plusSign`) and at least `minDigits`
// digits of a decimal exponent.
std::string ExponentText(int exponent, bool plusSign, int minDigits);

// d.ddd followed by "E", the exponent's sign ('+' only when `plusSign`) and
// at least `expDigits` exponent digits; `mantissaDigits` digits in all, or
// only the significant ones when it is 0. No sign of the value.
std::string ScientificText(const DecimalRec& rec, int mantissaDigits, bool plusSign, int expDigits,
                           const TFormatSettings& fs);

}  // namespace text_detail
