#include "support/KRDateFunc_UNT.h"

#include <array>
#include <cmath>

#include "platform/text/DateTimeText.h"
#include "platform/text/FormatSettings.h"
#include "platform/text/Locale.h"
#include "platform/text/SysUtils.h"
#include "support/KRComponentStrings.h"

namespace {

constexpr double kMaxDuration = 2147483647;
constexpr double kMaxReadDuration = 2147483646;

using TUnitNames = std::array<std::string, kDurUnitCount>;

TUnitNames LoadUnitNames() {
  TUnitNames names;
  for (int unit = krduAuto; unit <= krduWeek; ++unit) {
    names[size_t(unit)] = ComponentString(krsDurationAuto + UINT(unit));
  }
  names[krduMonth] = ComponentString(krsDurationMonth);
  names[krduYear] = ComponentString(krsDurationYear);
  return names;
}

TUnitNames& UnitNames() {
  static TUnitNames names = LoadUnitNames();
  return names;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

}  // namespace

bool StringCharIsSameAs(std::string_view s, int index, char ch) {
  if (index < 1 || size_t(index) > s.size()) return false;
  const char c = s[size_t(index) - 1];
  return static_cast<unsigned char>(c) < 0x80 && AsciiUpper(c) == AsciiUpper(ch);
}

bool StringCharIsDigit(std::string_view s, int index) {
  return index >= 1 && size_t(index) <= s.size() && IsDigit(s[size_t(index) - 1]);
}

int ComputeNbChar(char ch, int start, std::string_view s) {
  int count = 0;
  while (StringCharIsSameAs(s, start + count, ch)) ++count;
  return count;
}

void SetDurationUnits() { UnitNames() = LoadUnitNames(); }

const std::string& DurationUnitName(TKRDurUnit unit) { return UnitNames().at(unit); }

double GetDurationValue(TKRDurUnit unit, double seconds) {
  return seconds / std::fabs(kDurUnitSeconds[unit]);
}

std::string DurationToStr(double value, int decimals, TKRDurUnit unit) {
  if (value > kMaxDuration) value = kMaxDuration;
  const bool negative = value < 0;
  if (negative) value = -value;
  if (unit == krduAuto) {
    unit = krduSec;
    for (int u = krduYear; u >= krduSec; --u) {
      if (kDurUnitSeconds[u] <= value) {
        unit = TKRDurUnit(u);
        break;
      }
    }
  }
  const std::string text = FloatToStrF(GetDurationValue(unit, value), ffFixed, 15, decimals) + " " +
                           DurationUnitName(unit);
  return negative ? "-" + text : text;
}

double StrToDuration(std::string_view s, TKRDurUnit defaultUnit) {
  if (defaultUnit == krduAuto) defaultUnit = krduSec;
  std::string text = Trim(s);
  if (text.empty()) return 0;
  const bool negative = text.front() == '-';
  if (negative) text.erase(0, 1);
  const char decimal = FormatSettings().DecimalSeparator;
  size_t stop = 0;
  while (stop < text.size() && (IsDigit(text[stop]) || text[stop] == decimal)) ++stop;
  const std::string unitText = AnsiLowerCase(Trim(std::string_view(text).substr(stop)));
  TKRDurUnit unit = defaultUnit;
  if (!unitText.empty()) {
    int found = krduAuto;
    for (int u = krduSec; u <= krduYear && found == krduAuto; ++u) {
      if (AnsiLowerCase(DurationUnitName(TKRDurUnit(u))) == unitText) found = u;
    }
    if (found == krduAuto) {
      throw EKRDateFuncException(Format(ComponentString(krsInvalidDurationUnit), {unitText}));
    }
    unit = TKRDurUnit(found);
  }
  double seconds = StrToFloat(std::string_view(text).substr(0, stop)) * kDurUnitSeconds[unit];
  if (seconds > kMaxReadDuration) seconds = kMaxReadDuration;
  return negative ? -seconds : seconds;
}

std::string GetDateFormat() {
  const std::string& format = FormatSettings().ShortDateFormat;
  std::string result;
  int i = 1;
  while (size_t(i) <= format.size()) {
    int run = 1;
    if (StringCharIsSameAs(format, i, 'M')) {
      run = ComputeNbChar('M', i, format);
      if (run <= 2) result += "mm";
      if (run == 3) result += "mmm";
    } else if (StringCharIsSameAs(format, i, 'D')) {
      run = ComputeNbChar('D', i, format);
      if (run <= 2) result += "dd";
    } else if (StringCharIsSameAs(format, i, 'Y')) {
      run = ComputeNbChar('Y', i, format);
      if (run == 2) result += "yy";
      if (run == 4) result += "yyyy";
    } else {
      result += format[size_t(i) - 1];
    }
    i += run;
  }
  return result;
}

std::string GetTimeFormat() {
  const std::string& format = FormatSettings().LongTimeFormat;
  std::string result;
  int i = 1;
  while (size_t(i) <= format.size()) {
    if (SameText(std::string_view(format).substr(size_t(i) - 1, 4), "AMPM")) {
      result += "AMPM";
      i += 4;
      if (size_t(i) <= format.size()) result += ' ';
      continue;
    }
    const char* part = StringCharIsSameAs(format, i, 'H')   ? "hh"
                       : StringCharIsSameAs(format, i, 'M') ? "mm"
                       : StringCharIsSameAs(format, i, 'S') ? "ss"
                                                            : nullptr;
    if (part == nullptr) {
      result += format[size_t(i) - 1];
      ++i;
    } else {
      result += part;
      i += ComputeNbChar(part[0], i, format);
    }
  }
  return result;
}

std::string GetDateTimeFormat() { return GetDateFormat() + " " + GetTimeFormat(); }

std::string SysDateToStr(TDateTime value) { return FormatDateTime(GetDateTimeFormat(), value); }

std::string SysDateToDateStr(TDateTime value) { return FormatDateTime(GetDateFormat(), value); }

std::string GetNextToken(std::string& s, char separator) {
  const size_t end = std::min(s.find(' '), s.find(separator));
  std::string token = s.substr(0, end);
  s.erase(0, token.size());
  size_t drop = 0;
  while (drop < s.size() && s[drop] == ' ') ++drop;
  if (drop < s.size() && s[drop] == separator) ++drop;
  s.erase(0, drop);
  return token;
}
