#include "platform/text/SysUtils.h"

#include <optional>

#include "platform/text/Exception.h"
#include "platform/text/Utf.h"

namespace {

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

size_t CodePoints(std::string_view s) {
  size_t n = 0;
  for (const char c : s) n += IsContinuation(c) ? 0 : 1;
  return n;
}

// The first `count` code points of `s`.
std::string_view FirstCodePoints(std::string_view s, size_t count) {
  size_t i = 0;
  for (size_t seen = 0; i < s.size(); ++i) {
    if (!IsContinuation(s[i]) && seen++ == count) break;
  }
  return s.substr(0, i);
}

std::string ZeroPadded(std::string digits, bool negative, int minDigits) {
  if (static_cast<int>(digits.size()) < minDigits) digits.insert(0, minDigits - digits.size(), '0');
  return negative ? "-" + digits : digits;
}

class Formatter {
 public:
  Formatter(std::string_view format, const TVarRec* args, size_t count)
      : format_(format), args_(args), count_(count), settings_(FormatSettings()) {}

  std::string Run() {
    std::string out;
    for (size_t i = 0; i < format_.size();) {
      if (format_[i] != '%') {
        out += format_[i++];
      } else if (i + 1 < format_.size() && format_[i + 1] == '%') {
        out += '%';
        i += 2;
      } else {
        ++i;
        out += Placeholder(i);
      }
    }
    return out;
  }

 private:
  [[noreturn]] void Invalid() const {
    throw EConvertError("Format '" + std::string(format_) +
                        "' invalid or incompatible with argument");
  }

  const TVarRec::Value& NextArg() {
    if (next_ >= count_) {
      throw EConvertError("No argument for format '" + std::string(format_) + "'");
    }
    return args_[next_++].value();
  }

  // Digits or '*' (the next argument, an integer) at format_[i].
  std::optional<int> Count(size_t& i) {
    if (i < format_.size() && format_[i] == '*') {
      ++i;
      const TVarRec::Value& v = NextArg();
      if (const auto* n = std::get_if<int32_t>(&v)) return *n;
      Invalid();
    }
    if (i >= format_.size() || format_[i] < '0' || format_[i] > '9') return std::nullopt;
    int n = 0;
    for (; i < format_.size() && format_[i] >= '0' && format_[i] <= '9'; ++i) {
      n = std::min(n * 10 + (format_[i] - '0'), 1 << 20);
    }
    return n;
  }

  // Formats the placeholder whose text starts at format_[i], after the '%'.
  std::string Placeholder(size_t& i) {
    std::optional<int> number = Count(i);
    if (number && i < format_.size() && format_[i] == ':') {
      next_ = static_cast<size_t>(std::max(*number, 0));
      number.reset();
      ++i;
    }
    bool left = false;
    if (!number && i < format_.size() && format_[i] == '-') {
      left = true;
      ++i;
    }
    if (!number) number = Count(i);
    const int width = std::max(number.value_or(0), 0);
    std::optional<int> precision;
    if (i < format_.size() && format_[i] == '.') {
      ++i;
      precision = std::max(Count(i).value_or(0), 0);
    }
    if (i >= format_.size()) Invalid();
    const char type = static_cast<char>(format_[i] | 0x20);
    ++i;
    std::string text = Convert(type, NextArg(), precision);
    const size_t shown = CodePoints(text);
    if (shown < static_cast<size_t>(width)) {
      const std::string pad(width - shown, ' ');
      text = left ? text + pad : pad + text;
    }
    return text;
  }

  std::string Convert(char type, const TVarRec::Value& v, std::optional<int> precision) {
    const auto* i32 = std::get_if<int32_t>(&v);
    const auto* i64 = std::get_if<int64_t>(&v);
    const auto* real = std::get_if<double>(&v);
    const int minDigits = precision.value_or(0);
    switch (type) {
      case 'd':
        if (i32) return ZeroPadded(std::to_string(std::abs(int64_t(*i32))), *i32 < 0, minDigits);
        if (i64) {
          const uint64_t magnitude = *i64 < 0 ? 0 - uint64_t(*i64) : uint64_t(*i64);
          return ZeroPadded(std::to_string(magnitude), *i64 < 0, minDigits);
        }
        break;
      case 'u':
        if (i32) return ZeroPadded(std::to_string(uint32_t(*i32)), false, minDigits);
        if (i64) return ZeroPadded(std::to_string(uint64_t(*i64)), false, minDigits);
        break;
      case 'x':
        if (i32) return IntToHex(*i32, minDigits);
        if (i64) return IntToHex(*i64, minDigits);
        break;
      case 's': {
        std::string text;
        if (const auto* s = std::get_if<std::string>(&v)) {
          text = *s;
        } else if (const auto* w = std::get_if<std::u16string>(&v)) {
          text = Utf16ToUtf8(*w);
        } else {
          break;
        }
        return precision ? std::string(FirstCodePoints(text, *precision)) : text;
      }
      case 'f':
      case 'n':
      case 'm':
      case 'e':
      case 'g': {
        if (!i32 && !i64 && !real) break;
        const double value = real ? *real : i32 ? double(*i32) : double(*i64);
        if (type == 'f') return FloatToStrF(value, ffFixed, 15, precision.value_or(2), settings_);
        if (type == 'n') return FloatToStrF(value, ffNumber, 15, precision.value_or(2), settings_);
        if (type == 'm') {
          return FloatToStrF(value, ffCurrency, 15, precision.value_or(settings_.CurrencyDecimals),
                             settings_);
        }
        if (type == 'e')
          return FloatToStrF(value, ffExponent, precision.value_or(15), 3, settings_);
        return FloatToStrF(value, ffGeneral, precision.value_or(15), 0, settings_);
      }
      default:
        break;
    }
    Invalid();
  }

  std::string_view format_;
  const TVarRec* args_;
  size_t count_;
  const TFormatSettings& settings_;
  size_t next_ = 0;
};

}  // namespace

std::string Format(std::string_view format, std::initializer_list<TVarRec> args) {
  return Formatter(format, args.begin(), args.size()).Run();
}

std::string Format(std::string_view format, const std::vector<TVarRec>& args) {
  return Formatter(format, args.data(), args.size()).Run();
}

std::u16string Format(std::u16string_view format, std::initializer_list<TVarRec> args) {
  return Utf8ToUtf16(Format(Utf16ToUtf8(format), args));
}

std::u16string Format(std::u16string_view format, const std::vector<TVarRec>& args) {
  return Utf8ToUtf16(Format(Utf16ToUtf8(format), args));
}
