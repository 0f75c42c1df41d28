// Lookup structures over the committed records of one database: the records of each class,
// the keys of each global index, and who refers to whom. Each is built from the store on its
// first use, and is then kept in step record by record by Update, which the database calls for
// every change it commits. Any other change of the store must be followed by Invalidate, after
// which everything is built again when needed. The records of each class are the exception: a
// loader lists them as it reads (MembersCollector) and hands them over (Adopt), which costs far
// less than a later walk over every record of the store.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "kestrel/engine/Schema.h"
#include "kestrel/engine/Store.h"

namespace kestrel {

// The values of an index's fields, in the index's order.
using IndexKey = std::vector<Value>;

// Calls f(target, field) for every record that `record` refers to through a reference field or
// a stored link list.
template <typename F>
void ForEachReference(const ClassDef& cls, const Record& record, F&& f) {
  for (size_t i = 0; i < cls.allFields.size() && i < record.values.size(); ++i) {
    const FieldDef& field = cls.allFields[i];
    if (const auto* id = std::get_if<int32_t>(&record.values[i])) {
      if (field.type == type::kReference) f(*id, field);
    } else if (const auto* links = std::get_if<LinkList>(&record.values[i])) {
      for (const RecordID target : *links) f(target, field);
    }
  }
}

// The key of `record` (of class `cls`, a descendant of the index's class) in `index`.
IndexKey KeyOf(const ClassDef& cls, const IndexDef& index, const Record& record);

// The IDs of the records of each class, ascending, by class ID - 1.
using ClassMembers = std::vector<std::vector<RecordID>>;

// Lists the members of each class of a schema while a loader adds records one by one.
class MembersCollector {
 public:
  // Collects into `out`; null collects nothing.
  MembersCollector(ClassMembers* out, size_t classCount);
  void Add(ClassID cls, RecordID id) {
    if (out_ == nullptr || cls < 1 || static_cast<size_t>(cls) > out_->size()) return;
    ordered_ = ordered_ && id > last_;
    last_ = id;
    (*out_)[static_cast<size_t>(cls - 1)].push_back(id);
  }
  // Puts each list in ascending order when the records came in another.
  void Finish();

 private:
  ClassMembers* out_;
  RecordID last_ = 0;
  bool ordered_ = true;
};

class Indexes {
 public:
  Indexes(const Schema& schema, const Store& store) : schema_(schema), store_(store) {}

  void Invalidate();
  // Invalidates, then takes the members of each class from the loader that has just filled the
  // store (MembersCollector); they must be exactly the store's records.
  void Adopt(ClassMembers members);
  // A committed record changed: `before` and `after` are its states (null: absent).
  void Update(RecordID id, const Record* before, const Record* after);

  // IDs of the committed records of exactly this class, ascending.
  const std::vector<RecordID>& Members(ClassID cls);
  // True while the records of each class are listed (handed over by a loader, or built by an
  // earlier Members), so that Members walks no records.
  bool HasMembers() const { return membersBuilt_; }
  // The lowest ID of the committed records of exactly class `cls` whose text field number
  // `field` is `name`, the case of a-z aside; kNullRecord when there is none. The names of a
  // class and field are listed on the first search (from the class's members) and then kept
  // in step like the other indexes.
  RecordID FindByName(ClassID cls, size_t field, std::string_view name);
  // IDs of the committed records whose key in `index` is `key`.
  std::vector<RecordID> Find(const IndexDef& index, const IndexKey& key);
  // The whole index, ordered by key: the committed records of the index's class and its
  // subclasses.
  const std::multimap<IndexKey, RecordID>& Keys(const IndexDef& index);
  // IDs of the committed records that refer to `target` (a record referring to it twice is
  // named twice).
  std::vector<RecordID> Referrers(RecordID target);

 private:
  struct ClassList {
    std::vector<RecordID> ids;    // sorted
    std::vector<RecordID> added;  // not yet merged into ids
    std::vector<RecordID> removed;
  };

  // (NameKey of the field's text, record ID) of the records of one class.
  using NameList = std::set<std::pair<std::string, RecordID>>;
  struct NameField {
    ClassID cls;
    size_t field;
    auto operator<=>(const NameField&) const = default;
  };

  void BuildMembers();
  void BuildReferrers();
  NameList& BuiltNames(const NameField& key);
  // Adds or removes the record's entry in each name list of its class.
  void UpdateNames(RecordID id, const Record& record, bool add);
  std::multimap<IndexKey, RecordID>& Built(const IndexDef& index);

  const Schema& schema_;
  const Store& store_;
  bool membersBuilt_ = false;
  std::vector<ClassList> members_;  // by class ID - 1
  std::map<const IndexDef*, std::multimap<IndexKey, RecordID>> keys_;
  bool referrersBuilt_ = false;
  std::unordered_multimap<RecordID, RecordID> referrers_;  // target -> referring record
  std::map<NameField, NameList> names_;
};

}  // namespace kestrel
