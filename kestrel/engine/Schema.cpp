#include "kestrel/engine/Schema.h"

namespace kestrel {

int ClassDef::FieldIndex(const std::string& field) const {
  for (size_t i = 0; i < allFields.size(); ++i)
    if (allFields[i].name == field) return static_cast<int>(i);
  return -1;
}

bool ClassDef::IsProtected(const std::vector<Value>& values) const {
  if (protectField.empty()) return false;
  const int at = FieldIndex(protectField);
  if (at < 0 || static_cast<size_t>(at) >= values.size()) return false;
  const auto* flag = std::get_if<int32_t>(&values[static_cast<size_t>(at)]);
  return flag != nullptr && *flag != 0;
}

const ClassDef* Schema::FindClass(const std::string& className) const {
  const auto it = byName_.find(className);
  return it == byName_.end() ? nullptr : &classes[static_cast<size_t>(it->second - 1)];
}

const ClassDef* Schema::FindClass(ClassID id) const {
  if (id < 1 || static_cast<size_t>(id) > classes.size()) return nullptr;
  return &classes[static_cast<size_t>(id - 1)];
}

bool Schema::IsDescendant(const ClassDef& cls, const ClassDef& ancestor) const {
  for (const ClassDef* c = &cls; c != nullptr; c = c->base.empty() ? nullptr : FindClass(c->base))
    if (c->id == ancestor.id) return true;
  return false;
}

std::vector<ClassID> Schema::WithDescendants(const ClassDef& cls) const {
  std::vector<ClassID> ids{cls.id};
  for (size_t i = 0; i < ids.size(); ++i)
    for (const std::string& child : FindClass(ids[i])->children) ids.push_back(FindClass(child)->id);
  return ids;
}

std::vector<const IndexDef*> Schema::GlobalIndexesOf(const ClassDef& cls) const {
  std::vector<const ClassDef*> chain;
  for (const ClassDef* c = &cls; c != nullptr; c = c->base.empty() ? nullptr : FindClass(c->base))
    chain.insert(chain.begin(), c);
  std::vector<const IndexDef*> result;
  for (const ClassDef* c : chain)
    for (const IndexDef& index : globalIndexes)
      if (index.className == c->name) result.push_back(&index);
  return result;
}

const IndexDef* Schema::FindIndex(const ClassDef& cls, const std::string& indexName) const {
  for (const IndexDef* index : GlobalIndexesOf(cls))
    if (index->name == indexName) return index;
  for (const IndexDef& index : linkIndexes)
    if (index.name == indexName) {
      const ClassDef* owner = FindClass(index.className);
      if (owner != nullptr && IsDescendant(cls, *owner)) return &index;
    }
  return nullptr;
}

const ClassDef* Schema::LinkTarget(const IndexDef& linkIndex) const {
  const ClassDef* owner = FindClass(linkIndex.className);
  const int at = owner ? owner->FieldIndex(linkIndex.name) : -1;
  if (at < 0 || owner->allFields[static_cast<size_t>(at)].type != type::kLinks) return nullptr;
  return FindClass(owner->allFields[static_cast<size_t>(at)].referencedClass);
}

std::vector<const IndexDef*> Schema::OrderingIndexesOf(const ClassDef& cls) const {
  std::vector<const IndexDef*> result = GlobalIndexesOf(cls);
  for (const IndexDef& index : linkIndexes) {
    const ClassDef* target = LinkTarget(index);
    if (target != nullptr && IsDescendant(cls, *target)) result.push_back(&index);
  }
  return result;
}

const ServiceDef* Schema::FindService(const std::string& serviceName) const {
  for (const ServiceDef& service : services)
    if (service.name == serviceName) return &service;
  return nullptr;
}

void Schema::Finish() {
  byName_.clear();
  for (size_t i = 0; i < classes.size(); ++i) {
    ClassDef& cls = classes[i];
    cls.id = static_cast<ClassID>(i + 1);
    byName_[cls.name] = cls.id;
    cls.allFields.clear();
    cls.children.clear();
    if (!cls.base.empty()) {
      ClassDef& base = classes[static_cast<size_t>(byName_.at(cls.base) - 1)];
      // Sized once: growing it would copy every inherited field again, which for a long chain
      // of classes costs as much as the fields themselves.
      cls.allFields.reserve(base.allFields.size() + cls.ownFields.size());
      cls.allFields.assign(base.allFields.begin(), base.allFields.end());
      base.children.push_back(cls.name);
      if (cls.protectField.empty()) cls.protectField = base.protectField;
    }
    for (FieldDef& field : cls.ownFields) field.owner = cls.name;
    cls.allFields.insert(cls.allFields.end(), cls.ownFields.begin(), cls.ownFields.end());
  }
}

}  // namespace kestrel
