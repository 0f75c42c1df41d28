#include "kestrel/engine/Schema.h"

namespace kestrel {

FieldList::Segment::~Segment() {
  std::shared_ptr<Segment> next = std::move(base);
  while (next != nullptr && next.use_count() == 1) next = std::move(next->base);
}

void FieldList::Assign(const FieldList* base, std::vector<FieldDef> own) {
  auto segment = std::make_shared<Segment>();
  segment->fields = std::move(own);
  std::vector<const FieldDef*> fields;
  fields.reserve((base != nullptr ? base->size() : 0) + segment->fields.size());
  if (base != nullptr) {
    segment->base = base->segment_;
    fields.assign(base->fields_.begin(), base->fields_.end());
  }
  for (const FieldDef& field : segment->fields) fields.push_back(&field);
  segment_ = std::move(segment);
  fields_ = std::move(fields);
}

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
    cls.children.clear();
    const ClassDef* base = nullptr;
    if (!cls.base.empty()) {
      ClassDef& baseClass = classes[static_cast<size_t>(byName_.at(cls.base) - 1)];
      baseClass.children.push_back(cls.name);
      if (cls.protectField.empty()) cls.protectField = baseClass.protectField;
      base = &baseClass;
    }
    for (FieldDef& field : cls.ownFields) field.owner = cls.name;
    cls.allFields.Assign(base != nullptr ? &base->allFields : nullptr, cls.ownFields);
  }
}

}  // namespace kestrel
