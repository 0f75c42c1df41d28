#pragma once
// TWriter: writes values, objects and component trees in the component
// stream's binary format (see Filer.h for the layout).
//
// Values:
// - WriteInteger uses the smallest of vaInt8, vaInt16, vaInt32 and vaInt64
//   that holds the value.
// - WriteString writes vaString for at most 255 bytes, vaLString beyond;
//   WriteWideString writes vaWString, WriteUTF8String vaUTF8String.
// - WriteIdent writes "nil", "false", "true" and "null" (any case) as vaNil,
//   vaFalse, vaTrue and vaNull, anything else as vaIdent.
// - WriteFloat writes vaExtended, WriteDouble vaDouble, WriteSingle
//   vaSingle, WriteCurrency vaCurrency (an integer scaled by 10 000),
//   WriteDate vaDate.
// - A name or identifier longer than 255 bytes raises EWriteError.
//
// Objects: WriteProperties writes an object's stored published properties
// in the order listed, then its defined properties; WriteComponent writes a
// component with its children; WriteRootComponent writes the signature and
// the whole tree under a root. Components are marked csWriting while they
// are written.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/vcl/Filer.h"

class TCollection;
class TPersistent;

class TWriter : public TFiler {
 public:
  explicit TWriter(TStream& stream) : TFiler(stream) {}

  void WriteSignature();
  void WriteRootComponent(TComponent& root);
  void WriteComponent(TComponent& component);
  void WriteProperties(TPersistent& instance);
  void WriteCollection(TCollection& collection);

  void WriteValue(TValueType value);
  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  void WriteBoolean(bool value) { WriteValue(value ? vaTrue : vaFalse); }
  void WriteInteger(int64_t value);
  void WriteFloat(double value);
  void WriteDouble(double value);
  void WriteSingle(float value);
  void WriteCurrency(int64_t scaledBy10000);
  void WriteDate(double dayCount);
  void WriteString(std::string_view value);
  void WriteWideString(std::u16string_view value);
  void WriteUTF8String(std::string_view value);
  void WriteIdent(std::string_view ident);
  // vaSet with the names of the bits that are set.
  void WriteSet(std::span<const std::string_view> names, uint64_t bits);
  // The identifier of `component` as the reader resolves it: its name when
  // the root or the root's component, "Owner.Name" otherwise; vaNil for none.
  void WriteComponentReference(const TComponent* component);
  // A short string without a tag (class names, component names).
  void WriteStr(std::string_view value);
  // A property's name: the path of the nested object being written, then `name`.
  void WritePropName(std::string_view name);

  void DefineProperty(std::string_view name, const ReadProc& readData, const WriteProc& writeData,
                      bool hasData) override;
  void DefineBinaryProperty(std::string_view name, const StreamProc& readData,
                            const StreamProc& writeData, bool hasData) override;

 private:
  template <class T>
  void WriteRaw(T value);
  template <class T>
  void WriteTagged(TValueType type, T value) {
    WriteValue(type);
    WriteRaw(value);
  }
  // A tag, a 4-byte count of `count` units and the units' `bytes` bytes.
  void WriteCounted(TValueType type, size_t count, const void* data, size_t bytes);
  void WriteLength(size_t length);

  std::string propPath_;
};
