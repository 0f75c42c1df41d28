#include "platform/vcl/Reader.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "platform/text/Locale.h"
#include "platform/text/Utf.h"
#include "platform/vcl/ClassRegistry.h"
#include "platform/vcl/Collection.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Extended.h"
#include "platform/vcl/PublishedProperties.h"

static_assert(std::endian::native == std::endian::little,
              "the component stream is little-endian and read as the machine holds it");

namespace {

[[noreturn]] void InvalidFormat(const std::string& detail) {
  throw EReadError("Invalid stream format: " + detail);
}

}  // namespace

template <class T>
T TReader::ReadRaw() {
  T value;
  stream_.ReadBuffer(&value, sizeof value);
  return value;
}

int64_t TReader::ReadLength(int64_t unitSize) {
  const int32_t length = ReadRaw<int32_t>();
  if (length < 0 || length > stream_.Remaining() / unitSize) {
    InvalidFormat("length " + std::to_string(length) + " runs past the end of the stream");
  }
  return length;
}

void TReader::ReadSignature() {
  char signature[sizeof kFilerSignature];
  stream_.ReadBuffer(signature, sizeof signature);
  if (std::memcmp(signature, kFilerSignature, sizeof signature) != 0) {
    InvalidFormat("no component stream signature");
  }
}

TValueType TReader::ReadValue() {
  const uint8_t code = ReadRaw<uint8_t>();
  if (code > kMaxValueType) InvalidFormat("unknown value code " + std::to_string(code));
  return static_cast<TValueType>(code);
}

TValueType TReader::NextValue() {
  const TValueType value = ReadValue();
  stream_.Seek(-1, soCurrent);
  return value;
}

void TReader::CheckValue(TValueType expected) {
  if (ReadValue() != expected) PropValueError();
}

void TReader::PropValueError() { throw EReadError("Invalid property value"); }

bool TReader::ReadBoolean() {
  switch (ReadValue()) {
    case vaTrue: return true;
    case vaFalse: return false;
    default: PropValueError();
  }
}

int32_t TReader::ReadInteger() {
  switch (ReadValue()) {
    case vaInt8: return ReadRaw<int8_t>();
    case vaInt16: return ReadRaw<int16_t>();
    case vaInt32: return ReadRaw<int32_t>();
    default: PropValueError();
  }
}

int64_t TReader::ReadInt64() {
  if (NextValue() != vaInt64) return ReadInteger();
  ReadValue();
  return ReadRaw<int64_t>();
}

double TReader::ReadFloat() {
  switch (NextValue()) {
    case vaExtended: {
      ReadValue();
      TExtended80 bytes;
      stream_.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
      return ExtendedToDouble(bytes);
    }
    case vaDouble:
    case vaDate:
      ReadValue();
      return ReadRaw<double>();
    case vaSingle:
      ReadValue();
      return ReadRaw<float>();
    case vaCurrency:
      ReadValue();
      return static_cast<double>(ReadRaw<int64_t>()) / 10000;
    default:
      return static_cast<double>(ReadInt64());
  }
}

int64_t TReader::ReadCurrency() {
  if (NextValue() == vaCurrency) {
    ReadValue();
    return ReadRaw<int64_t>();
  }
  const double scaled = std::nearbyint(ReadFloat() * 10000);
  if (!(std::fabs(scaled) < 9.2e18)) PropValueError();
  return static_cast<int64_t>(scaled);
}

double TReader::ReadDate() { return ReadFloat(); }

std::string TReader::ReadString() {
  switch (ReadValue()) {
    case vaString: return ReadStr();
    case vaLString:
    case vaUTF8String: {
      std::string text(static_cast<size_t>(ReadLength(1)), '\0');
      stream_.ReadBuffer(text.data(), static_cast<int64_t>(text.size()));
      return text;
    }
    case vaWString: {
      std::u16string text(static_cast<size_t>(ReadLength(sizeof(char16_t))), u'\0');
      stream_.ReadBuffer(text.data(), static_cast<int64_t>(text.size() * sizeof(char16_t)));
      return Utf16ToUtf8(text);
    }
    default: PropValueError();
  }
}

std::u16string TReader::ReadWideString() {
  if (NextValue() != vaWString) return Utf8ToUtf16(ReadString());
  ReadValue();
  std::u16string text(static_cast<size_t>(ReadLength(sizeof(char16_t))), u'\0');
  stream_.ReadBuffer(text.data(), static_cast<int64_t>(text.size() * sizeof(char16_t)));
  return text;
}

std::string TReader::ReadIdent() {
  switch (ReadValue()) {
    case vaIdent: return ReadStr();
    case vaFalse: return "False";
    case vaTrue: return "True";
    case vaNil: return "nil";
    case vaNull: return "Null";
    default: PropValueError();
  }
}

uint64_t TReader::ReadSet(std::span<const std::string_view> names) {
  CheckValue(vaSet);
  uint64_t bits = 0;
  for (std::string name = ReadStr(); !name.empty(); name = ReadStr()) {
    size_t i = 0;
    while (i < names.size() && !SameText(names[i], name)) ++i;
    if (i >= names.size() || i >= 64) PropValueError();
    bits |= uint64_t{1} << i;
  }
  return bits;
}

void TReader::ReadComponentReference(std::function<void(TComponent*)> set) {
  switch (ReadValue()) {
    case vaNil: set(nullptr); break;
    case vaIdent: fixups_.push_back({ReadStr(), std::move(set)}); break;
    default: PropValueError();
  }
}

std::string TReader::ReadStr() {
  std::string text(ReadRaw<uint8_t>(), '\0');
  stream_.ReadBuffer(text.data(), static_cast<int64_t>(text.size()));
  return text;
}

TFilerFlags TReader::ReadPrefix() {
  const uint8_t first = ReadRaw<uint8_t>();
  if ((first & 0xF0) != 0xF0) {
    stream_.Seek(-1, soCurrent);
    return {};
  }
  const auto flags = TFilerFlags::FromBits(first & 0x0F);
  if (flags.Contains(ffChildPos)) ReadInteger();
  return flags;
}

void TReader::ReadRootComponent(TComponent& root) {
  root_ = &root;
  loaded_.clear();
  fixups_.clear();
  try {
    ReadSignature();
    ReadPrefix();
    ReadStr();  // the class name: the root exists already
    const std::string name = ReadStr();
    root.state_ = root.state_ + TComponentState{csLoading, csReading};
    loaded_.push_back(&root);
    if (!root.state_.Contains(csDesigning)) root.SetName(name);
    ReadComponentData(root);
    ResolveFixups();
  } catch (...) {
    for (TComponent* component : loaded_) {
      component->state_ = component->state_ - TComponentState{csLoading, csReading};
    }
    loaded_.clear();
    fixups_.clear();
    throw;
  }
  const std::vector<TComponent*> loaded = std::move(loaded_);
  loaded_.clear();
  for (TComponent* component : loaded) component->Loaded();
}

void TReader::ReadComponentData(TComponent& component) {
  while (!EndOfList()) ReadProperty(component);
  ReadListEnd();
  component.state_.Exclude(csReading);
  while (!EndOfList()) ReadComponent(&component);
  ReadListEnd();
}

void TReader::ReadComponent(TComponent* parent) {
  const TFilerFlags flags = ReadPrefix();
  const std::string className = ReadStr();
  const std::string name = ReadStr();
  TComponent* component = nullptr;
  if (flags.Contains(ffInherited)) {
    component = root_->FindComponent(name);
    if (component == nullptr) throw EReadError("Ancestor for '" + name + "' not found");
  } else {
    component = FindClass(className)(root_);
  }
  component->state_ = component->state_ + TComponentState{csLoading, csReading};
  loaded_.push_back(component);
  component->SetName(name);
  if (parent != nullptr) component->SetParentComponent(parent);
  ReadComponentData(*component);
}

void TReader::ReadProperty(TPersistent& instance) {
  const std::string path = ReadStr();
  try {
    TPersistent* target = &instance;
    std::string_view rest = path;
    for (size_t dot = rest.find('.'); dot != std::string_view::npos; dot = rest.find('.')) {
      TPublishedProperties properties;
      target->GetPublishedProperties(properties);
      const TPublishedProperty* nested = properties.Find(rest.substr(0, dot));
      if (nested == nullptr || nested->Nested == nullptr) {
        throw EReadError("Property " + std::string(rest.substr(0, dot)) + " does not exist");
      }
      target = nested->Nested;
      rest.remove_prefix(dot + 1);
    }
    TPublishedProperties properties;
    target->GetPublishedProperties(properties);
    const TPublishedProperty* property = properties.Find(rest);
    if (property != nullptr && property->Nested == nullptr) {
      property->Read(*this);
      return;
    }
    propName_ = std::string(rest);
    propHandled_ = false;
    target->DefineProperties(*this);
    propName_.clear();
    if (!propHandled_) throw EReadError("Property " + std::string(rest) + " does not exist");
  } catch (Exception& e) {
    e.SetMessage("Error reading " + instance.GetNamePath() + "." + path + ": " + e.Message());
    throw;
  }
}

void TReader::ReadCollection(TCollection& collection) {
  CheckValue(vaCollection);
  collection.BeginUpdate();
  try {
    collection.Clear();
    while (!EndOfList()) {
      const TValueType next = NextValue();
      if (next == vaInt8 || next == vaInt16 || next == vaInt32) ReadInteger();  // an item index
      TCollectionItem& item = collection.Add();
      ReadListBegin();
      while (!EndOfList()) ReadProperty(item);
      ReadListEnd();
    }
    ReadListEnd();
  } catch (...) {
    collection.EndUpdate();
    throw;
  }
  collection.EndUpdate();
}

void TReader::DefineProperty(std::string_view name, const ReadProc& readData, const WriteProc&,
                             bool) {
  if (propHandled_ || !readData || !SameText(name, propName_)) return;
  propHandled_ = true;
  readData(*this);
}

void TReader::DefineBinaryProperty(std::string_view name, const StreamProc& readData,
                                   const StreamProc&, bool) {
  if (propHandled_ || !readData || !SameText(name, propName_)) return;
  propHandled_ = true;
  CheckValue(vaBinary);
  std::vector<uint8_t> bytes(static_cast<size_t>(ReadLength(1)));
  stream_.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  TMemoryStream data(std::move(bytes));
  readData(data);
}

TComponent* TReader::FindReferenced(const std::string& name) const {
  const size_t dot = name.find('.');
  const std::string first = name.substr(0, dot);
  TComponent* found = SameText(root_->Name(), first) ? root_ : root_->FindComponent(first);
  if (found != nullptr && dot != std::string::npos) found = found->FindComponent(name.substr(dot + 1));
  return found;
}

void TReader::ResolveFixups() {
  std::vector<Fixup> fixups = std::move(fixups_);
  fixups_.clear();
  for (Fixup& fixup : fixups) {
    TComponent* component = FindReferenced(fixup.name);
    if (component == nullptr) throw EReadError("Unresolved reference to '" + fixup.name + "'");
    fixup.set(component);
  }
}
