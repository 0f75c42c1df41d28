#include "kestrel/engine/View.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace kestrel {

View View::Below() const {
  return View(*db_, std::vector<Layer>(layers_.begin() + (layers_.empty() ? 0 : 1), layers_.end()));
}

const std::optional<Record>* View::Entry(RecordID id, const Versions** versions) const {
  for (const Layer& layer : layers_) {
    const auto it = layer.delta->find(id);
    if (it != layer.delta->end()) {
      if (versions != nullptr) *versions = layer.versions;
      return &it->second;
    }
  }
  return nullptr;
}

const Record* View::Find(RecordID id) const {
  if (const std::optional<Record>* entry = Entry(id)) return entry->has_value() ? &**entry : nullptr;
  const auto& records = db_->Committed().records;
  const auto it = records.find(id);
  return it == records.end() ? nullptr : &it->second;
}

uint64_t View::VersionOf(RecordID id) const {
  const Versions* versions = nullptr;
  if (Entry(id, &versions) != nullptr) {
    const auto it = versions->written.find(id);
    return it == versions->written.end() ? 0 : it->second;
  }
  return db_->BaseVersion(id);
}

std::vector<RecordID> View::Members(const std::vector<ClassID>& classes) const {
  std::vector<RecordID> ids;
  for (const ClassID cls : classes) {
    const std::vector<RecordID>& members = db_->Index().Members(cls);
    ids.insert(ids.end(), members.begin(), members.end());
  }
  if (classes.size() > 1) std::sort(ids.begin(), ids.end());
  if (layers_.empty()) return ids;
  // The topmost entry of each record decides whether the view shows it in these classes.
  std::unordered_set<RecordID> decided;
  std::vector<RecordID> shown;
  for (const Layer& layer : layers_)
    for (const auto& [id, entry] : *layer.delta) {
      if (!decided.insert(id).second) continue;
      if (entry && std::find(classes.begin(), classes.end(), entry->classId) != classes.end())
        shown.push_back(id);
    }
  ids.erase(std::remove_if(ids.begin(), ids.end(), [&](RecordID id) { return decided.count(id); }),
            ids.end());
  std::sort(shown.begin(), shown.end());
  const auto middle = static_cast<std::ptrdiff_t>(ids.size());
  ids.insert(ids.end(), shown.begin(), shown.end());
  std::inplace_merge(ids.begin(), ids.begin() + middle, ids.end());
  return ids;
}

std::vector<RecordID> View::MembersOf(const ClassDef& cls) const {
  return Members(GetSchema().WithDescendants(cls));
}

ReferenceMap::ReferenceMap(const View& view) : view_(view) {
  std::unordered_set<RecordID> decided;
  const Schema& schema = view.GetSchema();
  for (const Layer& layer : view.Layers())
    for (const auto& [id, entry] : *layer.delta) {
      if (!decided.insert(id).second || !entry) continue;
      if (const ClassDef* cls = schema.FindClass(entry->classId))
        ForEachReference(*cls, *entry, [&, from = id](RecordID target, const FieldDef&) {
          fromLayers_.emplace(target, from);
        });
    }
}

std::vector<RecordID> ReferenceMap::Referrers(RecordID target) const {
  std::vector<RecordID> ids;
  // A committed referrer counts only while no layer replaced or deleted it.
  for (const RecordID from : view_.Db().Index().Referrers(target)) {
    bool replaced = false;
    for (const Layer& layer : view_.Layers())
      if (layer.delta->count(from)) {
        replaced = true;
        break;
      }
    if (!replaced) ids.push_back(from);
  }
  const auto [first, last] = fromLayers_.equal_range(target);
  for (auto it = first; it != last; ++it) ids.push_back(it->second);
  return ids;
}

}  // namespace kestrel
