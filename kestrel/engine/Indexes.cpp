#include "kestrel/engine/Indexes.h"

#include <algorithm>

#include "kestrel/engine/Text.h"

namespace kestrel {

IndexKey KeyOf(const ClassDef& cls, const IndexDef& index, const Record& record) {
  IndexKey key;
  key.reserve(index.fields.size());
  for (const std::string& field : index.fields) {
    const int at = cls.FieldIndex(field);
    key.push_back(at >= 0 && static_cast<size_t>(at) < record.values.size()
                      ? record.values[static_cast<size_t>(at)]
                      : Value{});
  }
  return key;
}

void Indexes::Invalidate() {
  membersBuilt_ = false;
  members_.clear();
  keys_.clear();
  referrersBuilt_ = false;
  referrers_.clear();
  names_.clear();
}

MembersCollector::MembersCollector(ClassMembers* out, size_t classCount) : out_(out) {
  if (out_ != nullptr) out_->assign(classCount, {});
}

void MembersCollector::Finish() {
  if (out_ != nullptr && !ordered_)
    for (std::vector<RecordID>& ids : *out_) std::sort(ids.begin(), ids.end());
}

void Indexes::Adopt(ClassMembers members) {
  Invalidate();
  members.resize(schema_.classes.size());
  members_.reserve(members.size());
  for (std::vector<RecordID>& ids : members) members_.push_back(ClassList{std::move(ids), {}, {}});
  membersBuilt_ = true;
}

void Indexes::BuildMembers() {
  members_.assign(schema_.classes.size(), ClassList{});
  for (const auto& [id, record] : store_.records)
    if (record.classId >= 1 && static_cast<size_t>(record.classId) <= members_.size())
      members_[static_cast<size_t>(record.classId - 1)].ids.push_back(id);
  membersBuilt_ = true;
}

const std::vector<RecordID>& Indexes::Members(ClassID cls) {
  static const std::vector<RecordID> kNone;
  if (!membersBuilt_) BuildMembers();
  if (cls < 1 || static_cast<size_t>(cls) > members_.size()) return kNone;
  ClassList& list = members_[static_cast<size_t>(cls - 1)];
  if (!list.removed.empty()) {
    std::sort(list.removed.begin(), list.removed.end());
    std::vector<RecordID> kept;
    kept.reserve(list.ids.size());
    std::set_difference(list.ids.begin(), list.ids.end(), list.removed.begin(), list.removed.end(),
                        std::back_inserter(kept));
    list.ids = std::move(kept);
    list.removed.clear();
  }
  if (!list.added.empty()) {
    std::sort(list.added.begin(), list.added.end());
    const auto middle = static_cast<std::ptrdiff_t>(list.ids.size());
    list.ids.insert(list.ids.end(), list.added.begin(), list.added.end());
    std::inplace_merge(list.ids.begin(), list.ids.begin() + middle, list.ids.end());
    list.added.clear();
  }
  return list.ids;
}

std::multimap<IndexKey, RecordID>& Indexes::Built(const IndexDef& index) {
  const auto found = keys_.find(&index);
  if (found != keys_.end()) return found->second;
  std::multimap<IndexKey, RecordID>& keys = keys_[&index];
  const ClassDef* owner = schema_.FindClass(index.className);
  if (owner == nullptr) return keys;
  for (const auto& [id, record] : store_.records) {
    const ClassDef* cls = schema_.FindClass(record.classId);
    if (cls != nullptr && schema_.IsDescendant(*cls, *owner))
      keys.emplace(KeyOf(*cls, index, record), id);
  }
  return keys;
}

const std::multimap<IndexKey, RecordID>& Indexes::Keys(const IndexDef& index) {
  return Built(index);
}

std::vector<RecordID> Indexes::Find(const IndexDef& index, const IndexKey& key) {
  std::vector<RecordID> ids;
  const auto [first, last] = Built(index).equal_range(key);
  for (auto it = first; it != last; ++it) ids.push_back(it->second);
  return ids;
}

namespace {

// The key of a record's text field in a name list; none for a field that holds no text.
const std::u16string* NameOf(const Record& record, size_t field) {
  return field < record.values.size() ? std::get_if<std::u16string>(&record.values[field])
                                      : nullptr;
}

}  // namespace

Indexes::NameList& Indexes::BuiltNames(const NameField& key) {
  const auto found = names_.find(key);
  if (found != names_.end()) return found->second;
  NameList names;
  for (const RecordID id : Members(key.cls)) {
    const auto record = store_.records.find(id);
    if (record == store_.records.end()) continue;
    if (const std::u16string* name = NameOf(record->second, key.field))
      names.emplace(NameKey(ToUtf8(*name)), id);
  }
  return names_.emplace(key, std::move(names)).first->second;
}

RecordID Indexes::FindByName(ClassID cls, size_t field, std::string_view name) {
  const NameList& names = BuiltNames(NameField{cls, field});
  const std::string key = NameKey(name);
  const auto found = names.lower_bound({key, kNullRecord});
  return found != names.end() && found->first == key ? found->second : kNullRecord;
}

void Indexes::UpdateNames(RecordID id, const Record& record, bool add) {
  for (auto& [key, names] : names_) {
    if (key.cls != record.classId) continue;
    const std::u16string* name = NameOf(record, key.field);
    if (name == nullptr) continue;
    if (add)
      names.emplace(NameKey(ToUtf8(*name)), id);
    else
      names.erase({NameKey(ToUtf8(*name)), id});
  }
}

void Indexes::BuildReferrers() {
  referrers_.clear();
  for (const auto& [id, record] : store_.records)
    if (const ClassDef* cls = schema_.FindClass(record.classId))
      ForEachReference(*cls, record,
                       [&, from = id](RecordID target, const FieldDef&) {
                         referrers_.emplace(target, from);
                       });
  referrersBuilt_ = true;
}

std::vector<RecordID> Indexes::Referrers(RecordID target) {
  if (!referrersBuilt_) BuildReferrers();
  std::vector<RecordID> ids;
  const auto [first, last] = referrers_.equal_range(target);
  for (auto it = first; it != last; ++it) ids.push_back(it->second);
  return ids;
}

void Indexes::Update(RecordID id, const Record* before, const Record* after) {
  const ClassDef* oldClass = before ? schema_.FindClass(before->classId) : nullptr;
  const ClassDef* newClass = after ? schema_.FindClass(after->classId) : nullptr;
  if (membersBuilt_ && oldClass != newClass) {
    if (oldClass != nullptr) members_[static_cast<size_t>(oldClass->id - 1)].removed.push_back(id);
    if (newClass != nullptr) {
      ClassList& list = members_[static_cast<size_t>(newClass->id - 1)];
      if (list.added.empty() && list.removed.empty() && (list.ids.empty() || list.ids.back() < id))
        list.ids.push_back(id);
      else
        list.added.push_back(id);
    }
  }
  for (auto& [index, keys] : keys_) {
    const ClassDef* owner = schema_.FindClass(index->className);
    if (owner == nullptr) continue;
    if (oldClass != nullptr && schema_.IsDescendant(*oldClass, *owner)) {
      const auto [first, last] = keys.equal_range(KeyOf(*oldClass, *index, *before));
      for (auto it = first; it != last; ++it)
        if (it->second == id) {
          keys.erase(it);
          break;
        }
    }
    if (newClass != nullptr && schema_.IsDescendant(*newClass, *owner))
      keys.emplace(KeyOf(*newClass, *index, *after), id);
  }
  if (before != nullptr) UpdateNames(id, *before, false);
  if (after != nullptr) UpdateNames(id, *after, true);
  if (referrersBuilt_) {
    if (oldClass != nullptr)
      ForEachReference(*oldClass, *before, [&](RecordID target, const FieldDef&) {
        const auto [first, last] = referrers_.equal_range(target);
        for (auto it = first; it != last; ++it)
          if (it->second == id) {
            referrers_.erase(it);
            break;
          }
      });
    if (newClass != nullptr)
      ForEachReference(*newClass, *after,
                       [&](RecordID target, const FieldDef&) { referrers_.emplace(target, id); });
  }
}

}  // namespace kestrel
