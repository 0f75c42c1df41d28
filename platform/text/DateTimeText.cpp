#include "platform/text/DateTimeText.h"

#include <algorithm>

#include "platform/text/Locale.h"

namespace {

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }

bool StartsWithNoCase(std::string_view text, size_t pos, std::string_view prefix) {
  return !prefix.empty() && text.size() - pos >= prefix.size() &&
         SameText(text.substr(pos, prefix.size()), prefix);
}

// Length of the run of the letter at `pos`, in either case.
size_t RunLength(std::string_view f, size_t pos) {
  size_t n = 1;
  while (pos + n < f.size() && AsciiUpper(f[pos + n]) == AsciiUpper(f[pos])) ++n;
  return n;
}

// True when the format from `pos` on names an AM/PM designator outside quotes.
bool UsesTwelveHourClock(std::string_view f, size_t pos) {
  char quote = 0;
  for (size_t i = pos; i < f.size(); ++i) {
    if (quote != 0) {
      if (f[i] == quote) quote = 0;
    } else if (f[i] == '"' || f[i] == '\'') {
      quote = f[i];
    } else if (StartsWithNoCase(f, i, "am/pm") || StartsWithNoCase(f, i, "a/p") ||
               StartsWithNoCase(f, i, "ampm")) {
      return true;
    }
  }
  return false;
}

class DateTimeFormatter {
 public:
  DateTimeFormatter(TDateTime value, const TFormatSettings& settings) : settings_(settings) {
    DecodeDateTime(value, year_, month_, day_, hour_, min_, sec_, msec_);
    dayOfWeek_ = DayOfWeek(value);
  }

  // Appends `f` formatted; nested formats (c, ddddd, t ...) expand two levels deep.
  void Append(std::string_view f, int depth) {
    char lastToken = ' ';
    size_t i = 0;
    while (i < f.size()) {
      char token = AsciiUpper(f[i]);
      if (token >= 'A' && token <= 'Z') {
        if (token == 'M' && lastToken == 'H') token = 'N';
        lastToken = token;
      }
      const size_t count = RunLength(f, i);
      switch (token) {
        case 'Y':
          if (count <= 2) {
            Number(year_ % 100, 2);
          } else {
            Number(year_, 4);
          }
          i += count;
          break;
        case 'M':
          Named(count, month_, month_ - 1, settings_.ShortMonthNames, settings_.LongMonthNames);
          i += count;
          break;
        case 'D':
          if (count <= 4) {
            Named(count, day_, dayOfWeek_ - 1, settings_.ShortDayNames, settings_.LongDayNames);
          } else {
            Nested(count == 5 ? settings_.ShortDateFormat : settings_.LongDateFormat, depth);
          }
          i += count;
          break;
        case 'H': {
          int h = hour_;
          if (UsesTwelveHourClock(f, i)) h = h % 12 == 0 ? 12 : h % 12;
          Number(h, std::min<size_t>(count, 2));
          i += count;
          break;
        }
        case 'N':
          Number(min_, std::min<size_t>(count, 2));
          i += count;
          break;
        case 'S':
          Number(sec_, std::min<size_t>(count, 2));
          i += count;
          break;
        case 'Z':
          Number(msec_, std::min<size_t>(count, 3));
          i += count;
          break;
        case 'T':
          Nested(count == 1 ? settings_.ShortTimeFormat : settings_.LongTimeFormat, depth);
          i += count;
          break;
        case 'C':
          Nested(settings_.ShortDateFormat, depth);
          if (hour_ != 0 || min_ != 0 || sec_ != 0) {
            out_ += ' ';
            Nested(settings_.LongTimeFormat, depth);
          }
          i += count;
          break;
        case 'A':
          i += Designator(f, i);
          break;
        case '/':
          out_ += settings_.DateSeparator;
          ++i;
          break;
        case ':':
          out_ += settings_.TimeSeparator;
          ++i;
          break;
        case '"':
        case '\'': {
          const size_t end = f.find(f[i], i + 1);
          const size_t stop = end == std::string_view::npos ? f.size() : end;
          out_.append(f.substr(i + 1, stop - i - 1));
          i = end == std::string_view::npos ? f.size() : end + 1;
          break;
        }
        default:
          out_ += f[i];
          ++i;
          break;
      }
    }
  }

  std::string Result() && { return std::move(out_); }

 private:
  void Number(int value, size_t digits) {
    std::string s = std::to_string(value);
    if (s.size() < digits) out_.append(digits - s.size(), '0');
    out_ += s;
  }

  // count 1 or 2: the number; 3: the short name; 4 or more: the long name.
  void Named(size_t count, int number, int nameIndex, const std::string* shortNames,
             const std::string* longNames) {
    if (count <= 2) {
      Number(number, count);
    } else {
      out_ += (count == 3 ? shortNames : longNames)[nameIndex];
    }
  }

  void Nested(const std::string& format, int depth) {
    if (depth < 2) Append(format, depth + 1);
  }

  // Appends the designator that starts at f[pos]; answers the characters used.
  size_t Designator(std::string_view f, size_t pos) {
    const bool pm = hour_ >= 12;
    if (StartsWithNoCase(f, pos, "am/pm")) {
      out_.append(f.substr(pos + (pm ? 3 : 0), 2));
      return 5;
    }
    if (StartsWithNoCase(f, pos, "a/p")) {
      out_ += f[pos + (pm ? 2 : 0)];
      return 3;
    }
    if (StartsWithNoCase(f, pos, "ampm")) {
      out_ += pm ? settings_.TimePMString : settings_.TimeAMString;
      return 4;
    }
    out_ += f[pos];
    return 1;
  }

  const TFormatSettings& settings_;
  std::string out_;
  uint16_t year_, month_, day_, hour_, min_, sec_, msec_;
  int dayOfWeek_;
};

int CurrentYear() {
  uint16_t y, m, d;
  DecodeDate(Date(), y, m, d);
  return y;
}

// Reads the parts of a date or time text from left to right. Every scan
// skips leading blanks and moves past what it consumed only on success.
class Scanner {
 public:
  Scanner(std::string_view text, const TFormatSettings& settings)
      : text_(text), settings_(settings) {}

  bool AtEnd() {
    SkipBlanks();
    return pos_ >= text_.size();
  }

  // Up to four digits.
  bool Number(int& value, size_t& digits) {
    SkipBlanks();
    size_t i = pos_;
    value = 0;
    while (i < text_.size() && i - pos_ < 4 && text_[i] >= '0' && text_[i] <= '9') {
      value = value * 10 + (text_[i] - '0');
      ++i;
    }
    digits = i - pos_;
    if (digits == 0) return false;
    pos_ = i;
    return true;
  }

  bool Char(char c) {
    SkipBlanks();
    if (pos_ >= text_.size() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }

  bool Word(std::string_view word) {
    SkipBlanks();
    if (!StartsWithNoCase(text_, pos_, word)) return false;
    pos_ += word.size();
    return true;
  }

  bool Date(TDateTime& result) {
    int n1, n2, n3;
    size_t l1, l2, l3;
    if (!Number(n1, l1) || !Char(settings_.DateSeparator) || !Number(n2, l2)) return false;
    int y, m, d;
    const char order = DateOrder();
    if (Char(settings_.DateSeparator)) {
      if (!Number(n3, l3)) return false;
      size_t yearDigits = l3;
      if (order == 'Y') {
        y = n1, m = n2, d = n3, yearDigits = l1;
      } else if (order == 'D') {
        y = n3, m = n2, d = n1;
      } else {
        y = n3, m = n1, d = n2;
      }
      if (yearDigits <= 2) y = ExpandTwoDigitYear(y);
    } else {
      y = CurrentYear();
      m = order == 'D' ? n2 : n1;
      d = order == 'D' ? n1 : n2;
    }
    Char(settings_.DateSeparator);
    return TryEncodeDate(y, m, d, result);
  }

  bool Time(TDateTime& result) {
    int baseHour = Designator();
    int hour, min = 0, sec = 0, msec = 0;
    size_t digits;
    if (!Number(hour, digits)) return false;
    if (Char(settings_.TimeSeparator)) {
      if (!Number(min, digits)) return false;
      if (Char(settings_.TimeSeparator)) {
        if (!Number(sec, digits)) return false;
        if (Char(settings_.DecimalSeparator) && !Fraction(msec)) return false;
      }
    }
    if (baseHour < 0) baseHour = Designator();
    if (baseHour >= 0) {
      if (hour == 0 || hour > 12) return false;
      hour = hour % 12 + baseHour;
    }
    return TryEncodeTime(hour, min, sec, msec, result);
  }

 private:
  void SkipBlanks() {
    while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
  }

  // Digits after the decimal separator as milliseconds: ".5" is 500.
  bool Fraction(int& msec) {
    int value;
    size_t digits;
    if (pos_ >= text_.size() || text_[pos_] < '0' || text_[pos_] > '9') return false;
    if (!Number(value, digits)) return false;
    for (; digits < 3; ++digits) value *= 10;
    msec = digits > 3 ? value / 10 : value;
    return true;
  }

  // 0 for an AM designator, 12 for PM, -1 for none.
  int Designator() {
    if (Word(settings_.TimeAMString) || Word("AM")) return 0;
    if (Word(settings_.TimePMString) || Word("PM")) return 12;
    return -1;
  }

  // 'Y', 'M' or 'D': which part the short date format names first.
  char DateOrder() const {
    for (const char c : settings_.ShortDateFormat) {
      const char u = AsciiUpper(c);
      if (u == 'Y' || u == 'M' || u == 'D') return u;
    }
    return 'M';
  }

  int ExpandTwoDigitYear(int year) const {
    const int window = settings_.TwoDigitYearCenturyWindow;
    const int base = CurrentYear() - window;
    year += base / 100 * 100;
    if (window > 0 && year < base) year += 100;
    return year;
  }

  std::string_view text_;
  const TFormatSettings& settings_;
  size_t pos_ = 0;
};

[[noreturn]] void RaiseInvalid(std::string_view text, const char* what) {
  throw EConvertError("'" + std::string(text) + "' is not a valid " + what);
}

}  // namespace

std::string FormatDateTime(std::string_view format, TDateTime value,
                           const TFormatSettings& settings) {
  DateTimeFormatter formatter(value, settings);
  formatter.Append(format.empty() ? std::string_view("c") : format, 0);
  return std::move(formatter).Result();
}

std::string FormatDateTime(std::string_view format, TDateTime value) {
  return FormatDateTime(format, value, FormatSettings());
}

std::string DateToStr(TDateTime value) { return FormatDateTime("ddddd", value); }
std::string TimeToStr(TDateTime value) { return FormatDateTime("tt", value); }
std::string DateTimeToStr(TDateTime value) { return FormatDateTime("c", value); }

bool TryStrToDate(std::string_view text, TDateTime& result, const TFormatSettings& settings) {
  Scanner s(text, settings);
  return s.Date(result) && s.AtEnd();
}

bool TryStrToTime(std::string_view text, TDateTime& result, const TFormatSettings& settings) {
  Scanner s(text, settings);
  return s.Time(result) && s.AtEnd();
}

bool TryStrToDateTime(std::string_view text, TDateTime& result, const TFormatSettings& settings) {
  Scanner s(text, settings);
  TDateTime date;
  TDateTime time = 0;
  if (s.Date(date) && (s.AtEnd() || (s.Time(time) && s.AtEnd()))) {
    result = date >= 0 ? date + time : date - time;
    return true;
  }
  return TryStrToTime(text, result, settings);
}

bool TryStrToDate(std::string_view text, TDateTime& result) {
  return TryStrToDate(text, result, FormatSettings());
}
bool TryStrToTime(std::string_view text, TDateTime& result) {
  return TryStrToTime(text, result, FormatSettings());
}
bool TryStrToDateTime(std::string_view text, TDateTime& result) {
  return TryStrToDateTime(text, result, FormatSettings());
}

TDateTime StrToDate(std::string_view text) {
  TDateTime result;
  if (!TryStrToDate(text, result)) RaiseInvalid(text, "date");
  return result;
}
TDateTime StrToTime(std::string_view text) {
  TDateTime result;
  if (!TryStrToTime(text, result)) RaiseInvalid(text, "time");
  return result;
}
TDateTime StrToDateTime(std::string_view text) {
  TDateTime result;
  if (!TryStrToDateTime(text, result)) RaiseInvalid(text, "date and time");
  return result;
}
