#include "platform/vcl/PublishedProperties.h"

#include "platform/text/Locale.h"
#include "platform/vcl/Collection.h"
#include "platform/vcl/Reader.h"
#include "platform/vcl/Writer.h"

namespace {

// A value property stored when it differs from `defaultValue` (always
// without one).
template <class T>
std::function<bool()> DiffersFrom(std::function<T()> get, std::optional<T> defaultValue) {
  return [get = std::move(get), defaultValue] { return !defaultValue || get() != *defaultValue; };
}

// A property of one value type T, written and read by `write` and `read`.
template <class T, class Write, class Read>
TPublishedProperty ValueProperty(std::string name, std::function<T()> get,
                                 std::function<void(T)> set, std::optional<T> defaultValue,
                                 Write write, Read read) {
  return {std::move(name), DiffersFrom(get, defaultValue),
          [get, write](TWriter& writer) { write(writer, get()); },
          [set, read](TReader& reader) { set(read(reader)); }};
}

}  // namespace

void TPublishedProperties::AddInteger(std::string name, std::function<int32_t()> get,
                                      std::function<void(int32_t)> set,
                                      std::optional<int32_t> defaultValue) {
  items_.push_back(ValueProperty<int32_t>(
      std::move(name), std::move(get), std::move(set), defaultValue,
      [](TWriter& writer, int32_t value) { writer.WriteInteger(value); },
      [](TReader& reader) { return reader.ReadInteger(); }));
}

void TPublishedProperties::AddInt64(std::string name, std::function<int64_t()> get,
                                    std::function<void(int64_t)> set,
                                    std::optional<int64_t> defaultValue) {
  items_.push_back(ValueProperty<int64_t>(
      std::move(name), std::move(get), std::move(set), defaultValue,
      [](TWriter& writer, int64_t value) { writer.WriteInteger(value); },
      [](TReader& reader) { return reader.ReadInt64(); }));
}

void TPublishedProperties::AddBoolean(std::string name, std::function<bool()> get,
                                      std::function<void(bool)> set,
                                      std::optional<bool> defaultValue) {
  items_.push_back(ValueProperty<bool>(
      std::move(name), std::move(get), std::move(set), defaultValue,
      [](TWriter& writer, bool value) { writer.WriteBoolean(value); },
      [](TReader& reader) { return reader.ReadBoolean(); }));
}

void TPublishedProperties::AddFloat(std::string name, std::function<double()> get,
                                    std::function<void(double)> set) {
  items_.push_back(ValueProperty<double>(
      std::move(name), std::move(get), std::move(set), 0.0,
      [](TWriter& writer, double value) { writer.WriteFloat(value); },
      [](TReader& reader) { return reader.ReadFloat(); }));
}

void TPublishedProperties::AddString(std::string name, std::function<std::string()> get,
                                     std::function<void(std::string)> set) {
  items_.push_back({std::move(name), [get] { return !get().empty(); },
                    [get](TWriter& writer) { writer.WriteString(get()); },
                    [set](TReader& reader) { set(reader.ReadString()); }});
}

void TPublishedProperties::AddEnumeration(std::string name,
                                          std::span<const std::string_view> names,
                                          std::function<int()> get, std::function<void(int)> set,
                                          std::optional<int> defaultValue) {
  items_.push_back(
      {std::move(name), DiffersFrom(get, defaultValue),
       [get, names](TWriter& writer) {
         const int value = get();
         if (value < 0 || static_cast<size_t>(value) >= names.size()) {
           throw EWriteError("Invalid property value " + std::to_string(value));
         }
         writer.WriteIdent(names[static_cast<size_t>(value)]);
       },
       [set, names](TReader& reader) {
         const std::string ident = reader.ReadIdent();
         for (size_t i = 0; i < names.size(); ++i) {
           if (SameText(names[i], ident)) {
             set(static_cast<int>(i));
             return;
           }
         }
         reader.PropValueError();
       }});
}

void TPublishedProperties::AddSet(std::string name, std::span<const std::string_view> names,
                                  std::function<uint64_t()> get,
                                  std::function<void(uint64_t)> set, uint64_t defaultValue) {
  items_.push_back({std::move(name), DiffersFrom(get, std::optional<uint64_t>(defaultValue)),
                    [get, names](TWriter& writer) { writer.WriteSet(names, get()); },
                    [set, names](TReader& reader) { set(reader.ReadSet(names)); }});
}

void TPublishedProperties::AddComponent(std::string name, std::function<TComponent*()> get,
                                        std::function<void(TComponent*)> set) {
  items_.push_back({std::move(name), [get] { return get() != nullptr; },
                    [get](TWriter& writer) { writer.WriteComponentReference(get()); },
                    [set](TReader& reader) { reader.ReadComponentReference(set); }});
}

void TPublishedProperties::AddCollection(std::string name, TCollection& collection) {
  TCollection* target = &collection;
  items_.push_back({std::move(name), [target] { return target->Count() > 0; },
                    [target](TWriter& writer) { writer.WriteCollection(*target); },
                    [target](TReader& reader) { reader.ReadCollection(*target); }});
}

void TPublishedProperties::AddObject(std::string name, TPersistent& object) {
  items_.push_back({std::move(name), {}, {}, {}, &object});
}

TPublishedProperty* TPublishedProperties::Find(std::string_view name) {
  for (TPublishedProperty& property : items_) {
    if (SameText(property.Name, name)) return &property;
  }
  return nullptr;
}
