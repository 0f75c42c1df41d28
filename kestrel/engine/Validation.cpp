#include "kestrel/engine/Validation.h"

#include <algorithm>
#include <map>
#include <optional>
#include <unordered_set>

namespace kestrel {

namespace {

bool HasNull(const IndexKey& key) {
  return std::any_of(key.begin(), key.end(), [](const Value& v) { return IsNull(v); });
}

class Validator {
 public:
  Validator(const View& merged, const View& parent)
      : merged_(merged), parent_(parent), schema_(merged.GetSchema()), keys_(merged) {}

  std::vector<Finding> Run(const Delta& changes, const std::function<void(size_t)>& progress) {
    size_t done = 0;
    for (const auto& [id, entry] : changes) {
      const Record* before = parent_.Find(id);
      if (entry)
        CheckRecord(id, *entry, before);
      else if (before != nullptr)
        CheckDeletion(id, *before);
      progress(++done);
    }
    return std::move(findings_);
  }

 private:
  void Add(RecordID id, int32_t code, const ClassDef& cls, int field, int16_t severity = 1) {
    findings_.push_back(Finding{id, code, severity, cls.id, field});
  }

  void CheckTarget(RecordID id, const ClassDef& cls, int at, RecordID target) {
    const Record* found = merged_.Find(target);
    if (found == nullptr) return Add(id, KS_ERR_DANGLING_REFERENCE, cls, at);
    const FieldDef& field = cls.allFields[static_cast<size_t>(at)];
    const ClassDef* want = schema_.FindClass(field.referencedClass);
    const ClassDef* have = schema_.FindClass(found->classId);
    if (want != nullptr && (have == nullptr || !schema_.IsDescendant(*have, *want)))
      Add(id, KS_ERR_WRONG_CLASS, cls, at);
  }

  void CheckRecord(RecordID id, const Record& record, const Record* before) {
    const ClassDef* cls = schema_.FindClass(record.classId);
    if (cls == nullptr) return;
    // Lifting the protection in the same commit is allowed, as it is change by change.
    if (before != nullptr && cls->IsProtected(before->values) && cls->IsProtected(record.values)) {
      const int marker = cls->FieldIndex(cls->protectField);
      for (size_t i = 0; i < record.values.size(); ++i)
        if (static_cast<int>(i) != marker && record.values[i] != before->values[i]) {
          Add(id, KS_ERR_ACCESS_DENIED, *cls, static_cast<int>(i));
          break;
        }
    }
    for (size_t i = 0; i < cls->allFields.size(); ++i) {
      const FieldDef& field = cls->allFields[i];
      const Value& value = record.values[i];
      const int at = static_cast<int>(i);
      if (field.required && IsNull(value)) Add(id, KS_ERR_REQUIRED_FIELD, *cls, at);
      if (const auto* target = std::get_if<int32_t>(&value); target && field.type == type::kReference)
        CheckTarget(id, *cls, at, *target);
      if (const auto* links = std::get_if<LinkList>(&value))
        for (const RecordID target : *links) CheckTarget(id, *cls, at, target);
      if (const auto* text = std::get_if<std::u16string>(&value);
          text && field.length > 0 && text->size() > static_cast<size_t>(field.length))
        Add(id, KS_WARN_TEXT_TOO_LONG, *cls, at, 0);
      if (const auto* n = std::get_if<int32_t>(&value);
          n && field.type == type::kEnumerated && field.valueListID != 0) {
        const auto list = schema_.valueLists.find(field.valueListID);
        if (list == schema_.valueLists.end() || list->second.count(*n) == 0)
          Add(id, KS_WARN_NOT_IN_VALUE_LIST, *cls, at, 0);
      }
    }
    for (const IndexDef* index : schema_.GlobalIndexesOf(*cls))
      if (index->unique && keys_.Clashes(id, *cls, *index, record))
        Add(id, KS_ERR_DUPLICATE_KEY, *cls, cls->FieldIndex(index->fields.front()));
  }

  void CheckDeletion(RecordID id, const Record& before) {
    const ClassDef* cls = schema_.FindClass(before.classId);
    if (cls == nullptr) return;
    if (!references_) references_.emplace(merged_);
    for (const RecordID from : references_->Referrers(id))
      if (from != id) return Add(id, KS_ERR_DELETE_REFERENCED, *cls, -1);
  }

  const View& merged_;
  const View& parent_;
  const Schema& schema_;
  std::optional<ReferenceMap> references_;  // built at the first deletion
  UniqueKeys keys_;
  std::vector<Finding> findings_;
};

}  // namespace

std::vector<Finding> Validate(const View& merged, const View& parent, const Delta& changes,
                              const std::function<void(size_t)>& progress) {
  return Validator(merged, parent).Run(changes, progress);
}

bool UniqueKeys::Clashes(RecordID id, const ClassDef& cls, const IndexDef& index,
                         const Record& record) {
  const IndexKey key = KeyOf(cls, index, record);
  if (HasNull(key)) return false;
  const Schema& schema = view_.GetSchema();
  std::vector<RecordID> candidates = view_.Db().Index().Find(index, key);
  const auto& layered = LayerKeys(index);
  const auto [first, last] = layered.equal_range(key);
  for (auto it = first; it != last; ++it) candidates.push_back(it->second);
  const ClassDef& owner = *schema.FindClass(index.className);
  for (const RecordID other : candidates) {
    if (other == id) continue;
    const Record* found = view_.Find(other);
    const ClassDef* otherClass = found ? schema.FindClass(found->classId) : nullptr;
    if (otherClass != nullptr && schema.IsDescendant(*otherClass, owner) &&
        KeyOf(*otherClass, index, *found) == key)
      return true;
  }
  return false;
}

const std::multimap<IndexKey, RecordID>& UniqueKeys::LayerKeys(const IndexDef& index) {
  const auto found = layerKeys_.find(&index);
  if (found != layerKeys_.end()) return found->second;
  auto& keys = layerKeys_[&index];
  const Schema& schema = view_.GetSchema();
  const ClassDef& owner = *schema.FindClass(index.className);
  std::unordered_set<RecordID> decided;
  for (const Layer& layer : view_.Layers())
    for (const auto& [id, entry] : *layer.delta) {
      if (!decided.insert(id).second || !entry) continue;
      const ClassDef* cls = schema.FindClass(entry->classId);
      if (cls != nullptr && schema.IsDescendant(*cls, owner))
        keys.emplace(KeyOf(*cls, index, *entry), id);
    }
  return keys;
}

}  // namespace kestrel
