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

RecordFinder::RecordFinder(const View& view)
    : records_(view.Db().Committed().records), next_(records_.begin()) {
  for (const Layer& layer : view.Layers())
    if (!layer.delta->empty()) deltas_.push_back(layer.delta);
}

const Record* RecordFinder::Find(RecordID id) {
  for (const Delta* delta : deltas_) {
    const auto it = delta->find(id);
    if (it != delta->end()) return it->second ? &*it->second : nullptr;
  }
  // A few steps forward serve an ascending walk; anything else searches.
  for (int steps = 0; steps < 4 && next_ != records_.end() && next_->first < id; ++steps) ++next_;
  if (next_ == records_.end() || next_->first != id) {
    next_ = records_.lower_bound(id);
    if (next_ == records_.end() || next_->first != id) return nullptr;
  }
  return &(next_++)->second;
}

const ReferenceMap& ReadContext::References() {
  if (!references_) references_.emplace(view_);
  return *references_;
}

std::vector<RecordID> LinkedRecords(ReadContext& context, const FieldDef& link, RecordID owner,
                                    const Record& record) {
  const View& view = context.GetView();
  const Schema& schema = view.GetSchema();
  const ClassDef* target = schema.FindClass(link.referencedClass);
  auto fits = [&](const Record* r) {
    const ClassDef* cls = r ? schema.FindClass(r->classId) : nullptr;
    return cls != nullptr && (target == nullptr || schema.IsDescendant(*cls, *target));
  };
  std::vector<RecordID> ids;
  if (!link.IsComputedLink()) {
    const ClassDef* cls = schema.FindClass(record.classId);
    const int at = cls ? cls->FieldIndex(link.name) : -1;
    const auto* list = at >= 0 ? std::get_if<LinkList>(&record.values[static_cast<size_t>(at)])
                               : nullptr;
    if (list != nullptr)
      for (const RecordID id : *list)
        if (fits(view.Find(id)) && std::find(ids.begin(), ids.end(), id) == ids.end())
          ids.push_back(id);
    return ids;
  }
  for (const RecordID from : context.References().Referrers(owner)) {
    const Record* r = view.Find(from);
    if (!fits(r)) continue;
    const int via = schema.FindClass(r->classId)->FieldIndex(link.linkVia);
    if (via >= 0 && r->values[static_cast<size_t>(via)] == Value{owner}) ids.push_back(from);
  }
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  return ids;
}

int32_t CountLinked(ReadContext& context, const FieldDef& link, RecordID owner,
                    const Record& record) {
  if (link.IsComputedLink())
    return static_cast<int32_t>(LinkedRecords(context, link, owner, record).size());
  const ClassDef* cls = context.GetView().GetSchema().FindClass(record.classId);
  const int at = cls ? cls->FieldIndex(link.name) : -1;
  const auto* list =
      at >= 0 ? std::get_if<LinkList>(&record.values[static_cast<size_t>(at)]) : nullptr;
  return list ? static_cast<int32_t>(list->size()) : 0;
}

}  // namespace kestrel
