#include "platform/text/FloatDecimal.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace text_detail {

namespace {

void StripTrailingZeros(DecimalRec& rec) {
  while (!rec.digits.empty() && rec.digits.back() == '0') rec.digits.pop_back();
  if (rec.digits.empty()) rec.exponent = 0;
}

}  // namespace

DecimalRec ToDecimal(double value, int precision) {
  DecimalRec rec;
  rec.negative = std::signbit(value);
  if (value == 0) return rec;
  // to_chars is locale-independent and correctly rounded: "d.ddde+XX". It
  // rounds exact halves to even, so fewer than 15 digits are rounded here.
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                 std::chars_format::scientific, std::max(precision, 15) - 1);
  const std::string_view text(buf, static_cast<size_t>(res.ptr - buf));
  const size_t e = text.find('e');
  for (size_t i = 0; i < e; ++i) {
    if (text[i] != '.') rec.digits += text[i];
  }
  rec.exponent = std::atoi(std::string(text.substr(e + 1)).c_str()) + 1;
  StripTrailingZeros(rec);
  RoundDigits(rec, precision);
  return rec;
}

void RoundDigits(DecimalRec& rec, int keep) {
  if (keep >= static_cast<int>(rec.digits.size())) return;
  if (keep < 0) {
    rec.digits.clear();
    rec.exponent = 0;
    return;
  }
  const bool up = rec.digits[keep] >= '5';
  rec.digits.resize(keep);
  if (up) {
    int i = keep - 1;
    while (i >= 0 && rec.digits[i] == '9') rec.digits[i--] = '0';
    if (i >= 0) {
      ++rec.digits[i];
    } else {
      rec.digits.insert(rec.digits.begin(), '1');
      ++rec.exponent;
    }
  }
  StripTrailingZeros(rec);
}

std::string SpecialText(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  return {};
}

std::string FixedText(const DecimalRec& rec, int decimals, bool thousands,
                      const TFormatSettings& fs) {
  std::string out;
  const int intDigits = std::max(rec.exponent, 1);
  for (int i = 0; i < intDigits; ++i) {
    out += DigitAt(rec, i + rec.exponent - intDigits);
    const int left = intDigits - 1 - i;
    if (thousands && left > 0 && left % 3 == 0) out += fs.ThousandSeparator;
  }
  if (decimals > 0) {
    out += fs.DecimalSeparator;
    for (int i = 0; i < decimals; ++i) out += DigitAt(rec, rec.exponent + i);
  }
  return out;
}

std::string ExponentText(int exponent, bool plusSign, int minDigits) {
  std::string out;
  if (exponent < 0) {
    out += '-';
  } else if (plusSign) {
    out += '+';
  }
  const std::string number = std::to_string(std::abs(exponent));
  if (static_cast<int>(number.size()) < minDigits) out.append(minDigits - number.size(), '0');
  return out + number;
}

std::string ScientificText(const DecimalRec& rec, int mantissaDigits, bool plusSign, int expDigits,
                           const TFormatSettings& fs) {
  const int digits =
      mantissaDigits > 0 ? mantissaDigits : std::max(static_cast<int>(rec.digits.size()), 1);
  std::string out(1, DigitAt(rec, 0));
  if (digits > 1) {
    out += fs.DecimalSeparator;
    for (int i = 1; i < digits; ++i) out += DigitAt(rec, i);
  }
  const int exponent = rec.digits.empty() ? 0 : rec.exponent - 1;
  return out + 'E' + ExponentText(exponent, plusSign, expDigits);
}

}  // namespace text_detail
