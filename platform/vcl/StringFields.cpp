#include "platform/vcl/StringFields.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/text/DateTimeText.h"
#include "platform/text/SysUtils.h"
#include "platform/text/Utf.h"
#include "platform/vcl/ClassRegistry.h"
#include "platform/vcl/DBConsts.h"
#include "platform/vcl/PublishedProperties.h"

namespace {

constexpr int32_t kMaxStringSize = 8192;

[[maybe_unused]] const bool kStringFieldsRegistered = [] {
  RegisterComponentClass<TStringField>("TStringField");
  RegisterComponentClass<TWideStringField>("TWideStringField");
  return true;
}();

// A zero-filled native buffer for `count` units of T, on the stack when it
// is small (reading a text field is a hot path of every scan).
template <class T>
class NativeBuffer {
 public:
  explicit NativeBuffer(int32_t count) {
    if (static_cast<size_t>(count) > std::size(local_)) {
      heap_.resize(static_cast<size_t>(count));
    } else {
      std::fill_n(local_, count, T{});
    }
  }
  T* data() { return heap_.empty() ? local_ : heap_.data(); }
  T& operator[](size_t index) { return data()[index]; }

 private:
  T local_[128];
  std::vector<T> heap_;
};

}  // namespace

TStringField::TStringField(TComponent* owner) : TField(owner) {
  SetDataType(ftString);
  SetSize(20);
}

void TStringField::GetPublishedProperties(TPublishedProperties& properties) {
  TField::GetPublishedProperties(properties);
  properties.AddInteger(
      "Size", [this] { return Size(); }, [this](int32_t value) { SetSize(value); }, 20);
}

void TStringField::CheckTypeSize(int32_t size) const {
  if (size < 0 || size > kMaxStringSize) DatabaseError(SInvalidFieldSize);
}

// The native value is read straight into the text, which is then cut at
// the terminator.
std::string TStringField::GetAsString() const {
  std::string text(static_cast<size_t>(DataSize()), '\0');
  if (!GetData(text.data())) return std::string();
  text.resize(strnlen(text.data(), static_cast<size_t>(Size())));
  return text;
}

void TStringField::SetAsString(const std::string& value) {
  size_t length = std::min(value.size(), static_cast<size_t>(Size()));
  // Never keep half of a UTF-8 sequence.
  while (length > 0 && length < value.size() && (static_cast<uint8_t>(value[length]) & 0xC0) == 0x80) {
    --length;
  }
  NativeBuffer<char> buffer(DataSize());
  std::memcpy(buffer.data(), value.data(), length);
  SetData(buffer.data());
}

bool TStringField::GetAsBoolean() const {
  const std::string text = GetAsString();
  return !text.empty() && std::strchr("TtYy", text[0]) != nullptr;
}

void TStringField::SetAsBoolean(bool value) { SetAsString(value ? "T" : "F"); }

TDateTime TStringField::GetAsDateTime() const { return StrToDateTime(GetAsString()); }

void TStringField::SetAsDateTime(TDateTime value) { SetAsString(DateTimeToStr(value)); }

double TStringField::GetAsFloat() const { return StrToFloat(GetAsString()); }

void TStringField::SetAsFloat(double value) { SetAsString(FloatToStr(value)); }

int32_t TStringField::GetAsInteger() const { return StrToInt(GetAsString()); }

void TStringField::SetAsInteger(int32_t value) { SetAsString(IntToStr(value)); }

int64_t TStringField::GetAsLargeInt() const { return StrToInt64(GetAsString()); }

void TStringField::SetAsLargeInt(int64_t value) { SetAsString(IntToStr(value)); }

OleVariant TStringField::GetAsVariant() const {
  if (IsNull()) return OleVariant::Null();
  return OleVariant(GetAsWideString());
}

void TStringField::SetVarValue(const OleVariant& value) { SetAsString(VarToStr(value)); }

TWideStringField::TWideStringField(TComponent* owner) : TStringField(owner) {
  SetDataType(ftWideString);
}

std::u16string TWideStringField::GetAsWideString() const {
  std::u16string value;
  GetWideStringInto(value);
  return value;
}

// The native value is read straight into the string, which is then cut at
// the terminator.
void TWideStringField::GetWideStringInto(std::u16string& value) const {
  const auto size = static_cast<size_t>(Size());
  value.assign(size + 1, u'\0');
  if (!GetData(value.data())) {
    value.clear();
    return;
  }
  const char16_t* end = std::char_traits<char16_t>::find(value.data(), size, u'\0');
  value.resize(end != nullptr ? static_cast<size_t>(end - value.data()) : size);
}

void TWideStringField::SetAsWideString(const std::u16string& value) {
  size_t length = std::min(value.size(), static_cast<size_t>(Size()));
  // Never keep the first half of a surrogate pair alone.
  if (length > 0 && length < value.size() && value[length - 1] >= 0xD800 && value[length - 1] < 0xDC00) {
    --length;
  }
  NativeBuffer<char16_t> buffer(Size() + 1);
  std::memcpy(buffer.data(), value.data(), length * sizeof(char16_t));
  SetData(buffer.data());
}

std::string TWideStringField::GetAsString() const { return Utf16ToUtf8(GetAsWideString()); }

void TWideStringField::SetAsString(const std::string& value) { SetAsWideString(Utf8ToUtf16(value)); }

void TWideStringField::SetVarValue(const OleVariant& value) { SetAsWideString(VarToWideStr(value)); }
