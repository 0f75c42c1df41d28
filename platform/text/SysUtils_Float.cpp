#include "platform/text/SysUtils.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "platform/text/Exception.h"
#include "platform/text/FloatDecimal.h"

using text_detail::DecimalRec;
using text_detail::DigitAt;

namespace {

std::string Signed(bool negative, std::string text) {
  return negative ? "-" + std::move(text) : std::move(text);
}

std::string General(double value, int precision, int expDigits, const TFormatSettings& fs) {
  const DecimalRec rec = text_detail::ToDecimal(value, precision);
  if (rec.digits.empty()) return "0";
  const int significant = static_cast<int>(rec.digits.size());
  if (rec.exponent > precision || rec.exponent < -3) {
    return Signed(rec.negative, text_detail::ScientificText(rec, 0, false, expDigits, fs));
  }
  return Signed(rec.negative,
                text_detail::FixedText(rec, std::max(significant - rec.exponent, 0), false, fs));
}

// --- Pictures of FormatFloat ---

struct PictureToken {
  enum Kind { Digit, Point, Comma, Exponent, Literal } kind;
  std::string_view text;  // the literal's characters, or the letter of E+/E-
  char digit = 0;         // '0' or '#'
  bool plus = false;      // exponent always signed
  int expDigits = 0;
};

struct Picture {
  std::vector<PictureToken> tokens;
  int intDigits = 0;   // placeholders before the point
  int minInt = 0;      // of them, those from the first '0' on
  int fracDigits = 0;  // placeholders after the point
  int fracZeros = 0;   // fraction digits always shown (up to the last '0')
  bool thousands = false;
  bool scientific = false;
};

// Splits a format into at most three sections at ';' outside quotes.
std::vector<std::string_view> SplitSections(std::string_view format) {
  std::vector<std::string_view> sections;
  size_t start = 0;
  char quote = 0;
  for (size_t i = 0; i <= format.size(); ++i) {
    if (i < format.size() && quote != 0) {
      if (format[i] == quote) quote = 0;
    } else if (i < format.size() && (format[i] == '"' || format[i] == '\'')) {
      quote = format[i];
    } else if (i == format.size() || format[i] == ';') {
      if (sections.size() < 3) sections.push_back(format.substr(start, i - start));
      start = i + 1;
    }
  }
  return sections;
}

Picture ParsePicture(std::string_view s) {
  Picture p;
  bool point = false;
  int firstZero = -1;
  for (size_t i = 0; i < s.size();) {
    const char c = s[i];
    PictureToken t{PictureToken::Literal, s.substr(i, 1)};
    if (c == '"' || c == '\'') {
      const size_t end = s.find(c, i + 1);
      const size_t stop = end == std::string_view::npos ? s.size() : end;
      t.text = s.substr(i + 1, stop - i - 1);
      i = stop == s.size() ? stop : stop + 1;
    } else if ((c == '0' || c == '#') && !p.scientific) {
      t.kind = PictureToken::Digit;
      t.digit = c;
      if (!point) {
        if (c == '0' && firstZero < 0) firstZero = p.intDigits;
        ++p.intDigits;
      } else {
        ++p.fracDigits;
        if (c == '0') p.fracZeros = p.fracDigits;
      }
      ++i;
    } else if (c == '.' && !p.scientific) {
      if (!point) t.kind = PictureToken::Point;
      point = true;
      ++i;
    } else if (c == ',' && !p.scientific) {
      t.kind = PictureToken::Comma;
      p.thousands = true;
      ++i;
    } else if ((c == 'E' || c == 'e') && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-') &&
               !p.scientific) {
      t.kind = PictureToken::Exponent;
      t.plus = s[i + 1] == '+';
      p.scientific = true;
      i += 2;
      while (i < s.size() && s[i] == '0' && t.expDigits < 4) ++t.expDigits, ++i;
    } else {
      ++i;
    }
    p.tokens.push_back(t);
  }
  p.minInt = firstZero < 0 ? 0 : p.intDigits - firstZero;
  return p;
}

// Rounds |value| as the picture shows it.
DecimalRec RoundFor(const Picture& p, double value) {
  DecimalRec rec = text_detail::ToDecimal(value);
  if (p.scientific) {
    text_detail::RoundDigits(rec, std::max(p.intDigits + p.fracDigits, 1));
  } else {
    text_detail::RoundDecimals(rec, p.fracDigits);
  }
  return rec;
}

std::string Render(const Picture& p, const DecimalRec& rec, const TFormatSettings& fs) {
  // The integer digits D and fraction digits F that the placeholders show.
  std::string intPart;
  std::string fracPart;
  int exponent = 0;
  if (p.scientific) {
    for (int i = 0; i < p.intDigits; ++i) intPart += DigitAt(rec, i);
    for (int i = 0; i < p.fracDigits; ++i) fracPart += DigitAt(rec, p.intDigits + i);
    exponent = rec.digits.empty() ? 0 : rec.exponent - p.intDigits;
  } else {
    for (int i = 0; i < rec.exponent; ++i) intPart += DigitAt(rec, i);
    if (static_cast<int>(intPart.size()) < p.minInt) {
      intPart.insert(0, p.minInt - intPart.size(), '0');
    }
    for (int i = 0; i < p.fracDigits; ++i) fracPart += DigitAt(rec, rec.exponent + i);
  }
  int fracShown = p.fracZeros;
  for (int i = 0; i < p.fracDigits; ++i) {
    if (fracPart[i] != '0') fracShown = std::max(fracShown, i + 1);
  }

  std::string out;
  const int len = static_cast<int>(intPart.size());
  const auto putInt = [&](int from, int to) {
    for (int j = std::max(from, 0); j < to; ++j) {
      out += intPart[j];
      const int left = len - 1 - j;
      if (p.thousands && !p.scientific && left > 0 && left % 3 == 0) out += fs.ThousandSeparator;
    }
  };
  int intIndex = 0;
  int fracIndex = 0;
  for (const PictureToken& t : p.tokens) {
    switch (t.kind) {
      case PictureToken::Digit:
        if (intIndex < p.intDigits) {
          const int pos = len - p.intDigits + intIndex;
          putInt(intIndex == 0 ? 0 : pos, pos + 1);
          ++intIndex;
        } else {
          if (fracIndex < fracShown) out += fracPart[fracIndex];
          ++fracIndex;
        }
        break;
      case PictureToken::Point:
        if (p.intDigits == 0) putInt(0, len);  // ".00": the integer digits go before the point
        if (fracShown > 0) out += fs.DecimalSeparator;
        intIndex = p.intDigits;
        break;
      case PictureToken::Exponent:
        out += t.text[0];
        out += text_detail::ExponentText(exponent, t.plus, t.expDigits);
        break;
      case PictureToken::Literal:
        out += t.text;
        break;
      case PictureToken::Comma:
        break;
    }
  }
  return out;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits,
                        const TFormatSettings& settings) {
  if (const std::string special = text_detail::SpecialText(value); !special.empty()) {
    return special;
  }
  precision = std::clamp(precision, 1, 15);
  if (format == ffGeneral) return General(value, precision, std::clamp(digits, 0, 4), settings);
  DecimalRec rec = text_detail::ToDecimal(value, precision);
  if (format == ffExponent) {
    return Signed(
        rec.negative && !rec.digits.empty(),
        text_detail::ScientificText(rec, precision, true, std::clamp(digits, 0, 4), settings));
  }
  if (format != ffCurrency && rec.exponent > precision) {
    return General(value, precision, 0, settings);
  }
  digits = std::clamp(digits, 0, 18);
  text_detail::RoundDecimals(rec, digits);
  std::string text = text_detail::FixedText(rec, digits, format != ffFixed, settings);
  if (format == ffCurrency) text = settings.CurrencyString + text;
  return Signed(rec.negative && !rec.digits.empty(), std::move(text));
}

std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits) {
  return FloatToStrF(value, format, precision, digits, FormatSettings());
}

std::string FloatToStr(double value) { return FloatToStrF(value, ffGeneral, 15, 0); }

std::string FormatFloat(std::string_view format, double value, const TFormatSettings& settings) {
  if (format.empty() || !std::isfinite(value)) {
    return FloatToStrF(value, ffGeneral, 15, 0, settings);
  }
  const std::vector<std::string_view> sections = SplitSections(format);
  const auto has = [&](size_t i) { return i < sections.size() && !sections[i].empty(); };
  size_t index = (value < 0 && has(1)) ? 1 : 0;
  Picture picture = ParsePicture(sections[index]);
  DecimalRec rec = RoundFor(picture, std::fabs(value));
  if (rec.digits.empty()) {
    if (has(2)) {
      index = 2;
      picture = ParsePicture(sections[2]);
    }
    return Render(picture, rec, settings);
  }
  return Signed(value < 0 && index == 0, Render(picture, rec, settings));
}

std::string FormatFloat(std::string_view format, double value) {
  return FormatFloat(format, value, FormatSettings());
}

bool TryStrToFloat(std::string_view s, double& value, const TFormatSettings& settings) {
  size_t b = 0;
  size_t e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  // Rebuild the number in the neutral form from_chars reads, noting where its
  // first significant digit lies so that an out-of-range result can be told
  // apart: too small is zero, too large is no value.
  std::string neutral;
  size_t i = b;
  bool negative = false;
  if (i < e && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  size_t mantissaDigits = 0;
  long magnitude = 0;  // decimal exponent of the first significant digit, roughly
  bool significant = false;
  const auto mantissaDigit = [&](bool fraction) {
    if (s[i] != '0') significant = true;
    if (!significant && fraction) --magnitude;
    if (significant && !fraction) ++magnitude;
    neutral += s[i];
    ++mantissaDigits;
  };
  for (; i < e && IsDigit(s[i]); ++i) mantissaDigit(false);
  if (i < e && s[i] == settings.DecimalSeparator) {
    neutral += '.';
    for (++i; i < e && IsDigit(s[i]); ++i) mantissaDigit(true);
  }
  if (mantissaDigits == 0) return false;
  if (i < e && (s[i] == 'E' || s[i] == 'e')) {
    neutral += 'e';
    ++i;
    bool expNegative = false;
    if (i < e && (s[i] == '+' || s[i] == '-')) expNegative = s[i] == '-', neutral += s[i++];
    if (i >= e || !IsDigit(s[i])) return false;
    long exponent = 0;
    for (; i < e && IsDigit(s[i]); ++i) {
      neutral += s[i];
      exponent = std::min(exponent * 10 + (s[i] - '0'), 100000L);
    }
    magnitude += expNegative ? -exponent : exponent;
  }
  if (i != e) return false;
  double result = 0;
  const auto res = std::from_chars(neutral.data(), neutral.data() + neutral.size(), result);
  if (res.ec == std::errc::result_out_of_range) {
    if (magnitude > 0) return false;
    result = 0;
  } else if (res.ec != std::errc() || res.ptr != neutral.data() + neutral.size()) {
    return false;
  }
  value = negative ? -result : result;
  return true;
}

bool TryStrToFloat(std::string_view s, double& value) {
  return TryStrToFloat(s, value, FormatSettings());
}

double StrToFloat(std::string_view s, const TFormatSettings& settings) {
  double value;
  if (!TryStrToFloat(s, value, settings)) {
    throw EConvertError("'" + std::string(s) + "' is not a valid floating point value");
  }
  return value;
}

double StrToFloat(std::string_view s) { return StrToFloat(s, FormatSettings()); }
