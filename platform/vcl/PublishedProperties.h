#pragma once
// TPublishedProperties: the published properties of one object as the
// component stream sees them. An object lists them in
// TPersistent::GetPublishedProperties with accessors bound to itself; the
// writer stores each value that differs from its default, in the order
// listed; the reader finds a property by name (without regard to case) and
// sets it through its accessor.
//
// Stream forms: integers take the smallest integer code that holds them,
// booleans vaFalse/vaTrue, floats the 10-byte extended, strings vaString or
// vaLString, enumerations identifiers, sets vaSet, component references the
// identifier of a component of the root being streamed (resolved once the
// whole stream is read), collections vaCollection. An object-valued property
// stores the nested object's own properties, published and defined, under
// "Property.Name".
//
// Event properties are not streamed: handlers are code, assigned by the
// program after loading.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class TCollection;
class TComponent;
class TPersistent;
class TReader;
class TWriter;

struct TPublishedProperty {
  std::string Name;
  // For a value property: whether the writer stores it, how it writes its
  // one tagged value (after the name) and how it reads it back (raising
  // EReadError for a value of the wrong kind).
  std::function<bool()> IsStored;
  std::function<void(TWriter&)> Write;
  std::function<void(TReader&)> Read;
  // For an object-valued property: the nested object (the others are unset).
  TPersistent* Nested = nullptr;
};

class TPublishedProperties {
 public:
  // A default of std::nullopt stores the value always.
  void AddInteger(std::string name, std::function<int32_t()> get, std::function<void(int32_t)> set,
                  std::optional<int32_t> defaultValue = 0);
  void AddInt64(std::string name, std::function<int64_t()> get, std::function<void(int64_t)> set,
                std::optional<int64_t> defaultValue = 0);
  void AddBoolean(std::string name, std::function<bool()> get, std::function<void(bool)> set,
                  std::optional<bool> defaultValue = false);
  // Stored when not zero.
  void AddFloat(std::string name, std::function<double()> get, std::function<void(double)> set);
  // Stored when not empty.
  void AddString(std::string name, std::function<std::string()> get,
                 std::function<void(std::string)> set);
  // An enumeration whose ordinal i is called names[i]; `names` must outlive
  // the list (static tables).
  void AddEnumeration(std::string name, std::span<const std::string_view> names,
                      std::function<int()> get, std::function<void(int)> set,
                      std::optional<int> defaultValue);
  // A set of such an enumeration, as bits (bit i for ordinal i).
  void AddSet(std::string name, std::span<const std::string_view> names,
              std::function<uint64_t()> get, std::function<void(uint64_t)> set,
              uint64_t defaultValue = 0);
  // A reference to another component; stored when set.
  void AddComponent(std::string name, std::function<TComponent*()> get,
                    std::function<void(TComponent*)> set);
  // A collection owned by the object; stored when it has items.
  void AddCollection(std::string name, TCollection& collection);
  void AddObject(std::string name, TPersistent& object);

  const std::vector<TPublishedProperty>& Items() const { return items_; }
  // The property of that name (without regard to case), or null.
  TPublishedProperty* Find(std::string_view name);

 private:
  std::vector<TPublishedProperty> items_;
};
