#include "platform/vcl/Writer.h"

#include <bit>
#include <cstring>
#include <limits>

#include "platform/text/Locale.h"
#include "platform/vcl/Collection.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Extended.h"
#include "platform/vcl/PublishedProperties.h"

static_assert(std::endian::native == std::endian::little,
              "the component stream is little-endian and written as the machine holds it");

namespace {

// Marks a component csWriting while it is written.
class WritingScope {
 public:
  explicit WritingScope(TComponentState& state) : state_(state), was_(state.Contains(csWriting)) {
    state_.Include(csWriting);
  }
  ~WritingScope() {
    if (!was_) state_.Exclude(csWriting);
  }
  WritingScope(const WritingScope&) = delete;
  WritingScope& operator=(const WritingScope&) = delete;

 private:
  TComponentState& state_;
  bool was_;
};

// Sets the property path for the properties of a nested object (or of a
// collection item, which starts a path of its own) and restores it after.
class PathScope {
 public:
  PathScope(std::string& path, std::string value) : path_(path), saved_(std::move(path)) {
    path_ = std::move(value);
  }
  ~PathScope() { path_ = std::move(saved_); }
  PathScope(const PathScope&) = delete;
  PathScope& operator=(const PathScope&) = delete;

 private:
  std::string& path_;
  std::string saved_;
};

}  // namespace

template <class T>
void TWriter::WriteRaw(T value) {
  stream_.WriteBuffer(&value, sizeof value);
}

void TWriter::WriteLength(size_t length) {
  if (length > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    throw EWriteError("Value too long for the component stream");
  }
  WriteRaw(static_cast<int32_t>(length));
}

void TWriter::WriteSignature() { stream_.WriteBuffer(kFilerSignature, sizeof kFilerSignature); }

void TWriter::WriteRootComponent(TComponent& root) {
  root_ = &root;
  WriteSignature();
  WriteComponent(root);
}

void TWriter::WriteComponent(TComponent& component) {
  WritingScope writing(component.state_);
  if (root_ == nullptr) root_ = &component;
  WriteStr(component.ClassName());
  WriteStr(component.Name());
  WriteProperties(component);
  WriteListEnd();
  component.GetChildren([this](TComponent& child) { WriteComponent(child); }, root_);
  WriteListEnd();
}

void TWriter::WriteProperties(TPersistent& instance) {
  TPublishedProperties properties;
  instance.GetPublishedProperties(properties);
  for (const TPublishedProperty& property : properties.Items()) {
    if (property.Nested != nullptr) {
      PathScope path(propPath_, propPath_ + property.Name + ".");
      WriteProperties(*property.Nested);
    } else if (property.IsStored()) {
      WritePropName(property.Name);
      property.Write(*this);
    }
  }
  instance.DefineProperties(*this);
}

void TWriter::WriteCollection(TCollection& collection) {
  WriteValue(vaCollection);
  {
    PathScope path(propPath_, std::string());
    for (int i = 0; i < collection.Count(); ++i) {
      WriteListBegin();
      WriteProperties(collection.Items(i));
      WriteListEnd();
    }
  }
  WriteListEnd();
}

void TWriter::WriteValue(TValueType value) { WriteRaw(static_cast<uint8_t>(value)); }

void TWriter::WriteInteger(int64_t value) {
  if (value >= INT8_MIN && value <= INT8_MAX) {
    WriteValue(vaInt8);
    WriteRaw(static_cast<int8_t>(value));
  } else if (value >= INT16_MIN && value <= INT16_MAX) {
    WriteValue(vaInt16);
    WriteRaw(static_cast<int16_t>(value));
  } else if (value >= INT32_MIN && value <= INT32_MAX) {
    WriteValue(vaInt32);
    WriteRaw(static_cast<int32_t>(value));
  } else {
    WriteValue(vaInt64);
    WriteRaw(value);
  }
}

void TWriter::WriteFloat(double value) {
  WriteValue(vaExtended);
  const TExtended80 bytes = DoubleToExtended(value);
  stream_.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TWriter::WriteDouble(double value) { WriteTagged(vaDouble, value); }

void TWriter::WriteSingle(float value) { WriteTagged(vaSingle, value); }

void TWriter::WriteCurrency(int64_t scaledBy10000) { WriteTagged(vaCurrency, scaledBy10000); }

void TWriter::WriteDate(double dayCount) { WriteTagged(vaDate, dayCount); }

void TWriter::WriteCounted(TValueType type, size_t count, const void* data, size_t bytes) {
  WriteValue(type);
  WriteLength(count);
  stream_.WriteBuffer(data, static_cast<int64_t>(bytes));
}

void TWriter::WriteString(std::string_view value) {
  if (value.size() <= 255) {
    WriteValue(vaString);
    WriteStr(value);
  } else {
    WriteCounted(vaLString, value.size(), value.data(), value.size());
  }
}

void TWriter::WriteWideString(std::u16string_view value) {
  WriteCounted(vaWString, value.size(), value.data(), value.size() * sizeof(char16_t));
}

void TWriter::WriteUTF8String(std::string_view value) {
  WriteCounted(vaUTF8String, value.size(), value.data(), value.size());
}

void TWriter::WriteIdent(std::string_view ident) {
  if (SameText(ident, "nil")) {
    WriteValue(vaNil);
  } else if (SameText(ident, "false")) {
    WriteValue(vaFalse);
  } else if (SameText(ident, "true")) {
    WriteValue(vaTrue);
  } else if (SameText(ident, "null")) {
    WriteValue(vaNull);
  } else {
    WriteValue(vaIdent);
    WriteStr(ident);
  }
}

void TWriter::WriteSet(std::span<const std::string_view> names, uint64_t bits) {
  WriteValue(vaSet);
  for (size_t i = 0; i < names.size() && i < 64; ++i) {
    if ((bits >> i) & 1) WriteStr(names[i]);
  }
  WriteStr("");
}

void TWriter::WriteComponentReference(const TComponent* component) {
  if (component == nullptr) {
    WriteValue(vaNil);
  } else if (component == root_ || component->Owner() == root_ || component->Owner() == nullptr) {
    WriteIdent(component->Name());
  } else {
    WriteIdent(component->Owner()->Name() + "." + component->Name());
  }
}

void TWriter::WriteStr(std::string_view value) {
  if (value.size() > 255) {
    throw EWriteError("Name too long for the component stream: " + std::string(value.substr(0, 40)));
  }
  WriteRaw(static_cast<uint8_t>(value.size()));
  stream_.WriteBuffer(value.data(), static_cast<int64_t>(value.size()));
}

void TWriter::WritePropName(std::string_view name) { WriteStr(propPath_ + std::string(name)); }

void TWriter::DefineProperty(std::string_view name, const ReadProc&, const WriteProc& writeData,
                             bool hasData) {
  if (!hasData || !writeData) return;
  WritePropName(name);
  writeData(*this);
}

void TWriter::DefineBinaryProperty(std::string_view name, const StreamProc&,
                                   const StreamProc& writeData, bool hasData) {
  if (!hasData || !writeData) return;
  WritePropName(name);
  TMemoryStream data;
  writeData(data);
  WriteCounted(vaBinary, data.Bytes().size(), data.Bytes().data(), data.Bytes().size());
}
