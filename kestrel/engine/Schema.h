// A schema (the API's "meta"): classes with their fields, indexes, value lists, DB services and
// signal definitions. A Schema is immutable once built by the schema reader and is shared by
// the server's metas and the databases that use it.
//
// Every class has an ID (its position + 1) and a flattened field list, inherited fields first,
// which is the order of the values of a stored record of that class.
#pragma once

#include <compare>
#include <cstddef>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kestrel/engine/Value.h"

namespace kestrel {

namespace access {
constexpr int32_t kReadOnly = 0;
constexpr int32_t kReadWrite = 1;
constexpr int32_t kInsert = 2;
constexpr int32_t kInvisible = 3;
}  // namespace access

namespace classflag {
constexpr int32_t kVirtual = 1;
constexpr int32_t kComputed = 2;
constexpr int32_t kPrivate = 4;
constexpr int32_t kTransient = 16;
constexpr int32_t kAll = kVirtual | kComputed | kPrivate | kTransient;
}  // namespace classflag

struct FieldDef {
  std::string name;
  int32_t type = type::kString;
  int32_t length = 0;
  int32_t actualAccess = access::kReadWrite;
  int32_t versionAccess = access::kReadWrite;
  std::string referencedClass;  // types 11 and 14
  std::string linkVia;          // type 14 of a link index: the back-reference field of the target
  Value defaultValue;
  int32_t valueListID = 0;
  bool required = false;
  std::string owner;  // declaring class
  // A type-14 field backed by a back-reference holds no stored value.
  bool IsComputedLink() const { return type == type::kLinks && !linkVia.empty(); }
};

// The flattened field list of a class: its base's fields, then its own. The fields are shared
// with the base and its bases, never copied, so a chain of n classes holds each field once
// and one pointer per field and class; copies of the list share them too. It reads like a
// vector of FieldDef.
class FieldList {
 public:
  class const_iterator {
   public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = FieldDef;
    using difference_type = std::ptrdiff_t;
    using pointer = const FieldDef*;
    using reference = const FieldDef&;

    const_iterator() = default;
    explicit const_iterator(std::vector<const FieldDef*>::const_iterator at) : at_(at) {}
    reference operator*() const { return **at_; }
    pointer operator->() const { return *at_; }
    reference operator[](difference_type n) const { return *at_[n]; }
    const_iterator& operator++() { return ++at_, *this; }
    const_iterator operator++(int) { return const_iterator(at_++); }
    const_iterator& operator--() { return --at_, *this; }
    const_iterator operator--(int) { return const_iterator(at_--); }
    const_iterator& operator+=(difference_type n) { return at_ += n, *this; }
    const_iterator& operator-=(difference_type n) { return at_ -= n, *this; }
    friend const_iterator operator+(const_iterator i, difference_type n) { return i += n; }
    friend const_iterator operator+(difference_type n, const_iterator i) { return i += n; }
    friend const_iterator operator-(const_iterator i, difference_type n) { return i -= n; }
    friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
      return a.at_ - b.at_;
    }
    friend auto operator<=>(const const_iterator&, const const_iterator&) = default;

   private:
    std::vector<const FieldDef*>::const_iterator at_;
  };
  using iterator = const_iterator;
  using value_type = FieldDef;
  using size_type = size_t;

  size_t size() const { return fields_.size(); }
  bool empty() const { return fields_.empty(); }
  const FieldDef& operator[](size_t i) const { return *fields_[i]; }
  const FieldDef& front() const { return *fields_.front(); }
  const FieldDef& back() const { return *fields_.back(); }
  const_iterator begin() const { return const_iterator(fields_.begin()); }
  const_iterator end() const { return const_iterator(fields_.end()); }

  // Makes the list `base`'s fields (none when null), then `own`.
  void Assign(const FieldList* base, std::vector<FieldDef> own);

 private:
  // The own fields of one class, keeping those of its bases alive. A long chain is released
  // link by link, not by recursion.
  struct Segment {
    std::vector<FieldDef> fields;
    std::shared_ptr<Segment> base;
    ~Segment();
  };

  std::shared_ptr<Segment> segment_;
  std::vector<const FieldDef*> fields_;
};

struct IndexDef {
  std::string name;
  std::string className;
  std::vector<std::string> fields;
  bool unique = false;
};

struct ClassDef {
  std::string name;
  std::string base;  // empty: no base
  ClassID id = kNoClass;
  int32_t flags = 0;
  int32_t rootAccess = access::kReadWrite;
  int32_t versionAccess = access::kReadWrite;
  std::vector<FieldDef> ownFields;
  FieldList allFields;  // inherited first
  std::vector<std::string> children;
  // A boolean field that protects its record: while it is true the record cannot be deleted
  // and no other field of it can be changed. Empty: no such field (inherited from the base
  // unless the class names its own).
  std::string protectField;

  // Position of the field in allFields, or -1.
  int FieldIndex(const std::string& field) const;
  // Whether the record is protected by its protect field.
  bool IsProtected(const std::vector<Value>& values) const;
};

struct ServiceDef {
  std::string name;
  bool isPublic = true;
  int32_t rootAccess = 1;  // 0 not allowed, 1 allowed
  int32_t versionAccess = 1;
};

struct SignalArgDef {
  std::string name;  // how the condition refers to it
  std::string description;
  int32_t type = type::kInteger;
  bool isArray = false;  // always for type 14 (record IDs)
};

class SignalCondition;

struct SignalDef {
  std::string name;
  std::string className;
  std::string condition;  // as written
  std::shared_ptr<const SignalCondition> parsed;
  std::vector<SignalArgDef> arguments;
};

class Schema {
 public:
  std::string name;
  std::string version;
  std::vector<ClassDef> classes;  // index = id - 1
  std::vector<IndexDef> globalIndexes;
  std::vector<IndexDef> linkIndexes;  // fields: sort keys of the target
  std::map<int32_t, std::map<int32_t, std::string>> valueLists;
  std::vector<ServiceDef> services;
  std::vector<SignalDef> signals;

  const ClassDef* FindClass(const std::string& className) const;
  const ClassDef* FindClass(ClassID id) const;
  // Whether `cls` is `ancestor` or descends from it.
  bool IsDescendant(const ClassDef& cls, const ClassDef& ancestor) const;
  // IDs of the class and all its descendants, the class first.
  std::vector<ClassID> WithDescendants(const ClassDef& cls) const;
  // Global indexes of the class and its ancestors, ancestors' first.
  std::vector<const IndexDef*> GlobalIndexesOf(const ClassDef& cls) const;
  const IndexDef* FindIndex(const ClassDef& cls, const std::string& indexName) const;
  // The class a link index leads to (its link field's referenced class), or null.
  const ClassDef* LinkTarget(const IndexDef& linkIndex) const;
  // The indexes that order the records of the class: its global indexes (ancestors' first), then
  // the link indexes that lead to the class or an ancestor (their fields are its fields).
  std::vector<const IndexDef*> OrderingIndexesOf(const ClassDef& cls) const;
  const ServiceDef* FindService(const std::string& serviceName) const;

  // Fills ids, flattened field lists and children after classes were added in an order where
  // every base precedes its subclasses. Called by the schema reader.
  void Finish();

 private:
  std::map<std::string, ClassID> byName_;
};

using SchemaPtr = std::shared_ptr<const Schema>;

}  // namespace kestrel
