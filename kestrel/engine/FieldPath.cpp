#include "kestrel/engine/FieldPath.h"

#include "kestrel/engine/Text.h"

namespace kestrel {

namespace {

constexpr const char* kCount = "Count()";

std::vector<std::string> Split(const std::string& path) {
  std::vector<std::string> parts;
  size_t from = 0;
  for (size_t dot; (dot = path.find('.', from)) != std::string::npos; from = dot + 1)
    parts.push_back(path.substr(from, dot - from));
  parts.push_back(path.substr(from));
  return parts;
}

}  // namespace

int FindFieldIndex(const ClassDef& cls, const std::string& name) {
  const int exact = cls.FieldIndex(name);
  if (exact >= 0) return exact;
  for (size_t i = 0; i < cls.allFields.size(); ++i)
    if (SameName(cls.allFields[i].name, name)) return static_cast<int>(i);
  return -1;
}

KSStatus FieldPath::Resolve(const Schema& schema, const ClassDef& cls, const std::string& path,
                            bool inVersion, FieldPath& out) {
  out = FieldPath();
  out.name_ = path;
  const ClassDef* current = &cls;
  std::string rest = path;
  if (!rest.empty() && rest.front() == '[') {
    const size_t close = rest.find("].");
    const ClassDef* named = close == std::string::npos ? nullptr
                                                       : schema.FindClass(rest.substr(1, close - 1));
    if (named == nullptr || !(schema.IsDescendant(*named, cls) || schema.IsDescendant(cls, *named)))
      return KS_ERR_NO_SUCH_FIELD;
    out.steps_.push_back(Step{Step::Kind::kOfClass, 0, nullptr, named});
    current = named;
    rest = rest.substr(close + 2);
  }
  const std::vector<std::string> parts = Split(rest);
  if (parts.size() == 1 && parts[0] == kCount) {
    out.steps_.push_back(Step{Step::Kind::kRowCount});
    out.type_ = type::kUnsigned2;
    return KS_OK;
  }
  for (size_t i = 0; i < parts.size(); ++i) {
    const bool last = i + 1 == parts.size();
    if (SameName(parts[i], "id")) {
      if (!last) return KS_ERR_NO_SUCH_FIELD;
      out.steps_.push_back(Step{Step::Kind::kId});
      out.type_ = type::kId;
      return KS_OK;
    }
    const int at = FindFieldIndex(*current, parts[i]);
    if (at < 0) return KS_ERR_NO_SUCH_FIELD;
    const FieldDef& field = current->allFields[static_cast<size_t>(at)];
    if ((inVersion ? field.versionAccess : field.actualAccess) == access::kInvisible)
      return KS_ERR_ACCESS_DENIED;
    if (field.type == type::kLinks) {
      const bool counted = i + 2 == parts.size() && parts[i + 1] == kCount;
      if (!last && !counted) return KS_ERR_NO_SUCH_FIELD;
      out.steps_.push_back(Step{Step::Kind::kLinkCount, 0, &field});
      out.type_ = counted ? type::kUnsigned2 : type::kLinks;
      return KS_OK;
    }
    out.steps_.push_back(Step{Step::Kind::kField, static_cast<size_t>(at), &field});
    if (last) {
      out.type_ = field.type;
      return KS_OK;
    }
    current = field.type == type::kReference ? schema.FindClass(field.referencedClass) : nullptr;
    if (current == nullptr) return KS_ERR_NO_SUCH_FIELD;
    if ((inVersion ? current->versionAccess : current->rootAccess) == access::kInvisible)
      return KS_ERR_ACCESS_DENIED;
  }
  return KS_ERR_NO_SUCH_FIELD;
}

int FieldPath::StoredPosition() const {
  return steps_.size() == 1 && steps_[0].kind == Step::Kind::kField
             ? static_cast<int>(steps_[0].position)
             : -1;
}

bool FieldPath::CountsRows() const {
  return steps_.size() == 1 && steps_[0].kind == Step::Kind::kRowCount;
}

const Value& FieldPath::Read(ReadContext& context, RecordID id, const Record& record,
                             Value& scratch) const {
  const Schema& schema = context.GetView().GetSchema();
  const Record* r = &record;
  for (size_t i = 0; i < steps_.size(); ++i) {
    const Step& step = steps_[i];
    switch (step.kind) {
      case Step::Kind::kOfClass: {
        const ClassDef* cls = schema.FindClass(r->classId);
        if (cls == nullptr || !schema.IsDescendant(*cls, *step.cls)) return NullAsRead(type_);
        break;
      }
      case Step::Kind::kId:
        scratch = id;
        return scratch;
      case Step::Kind::kRowCount:
        scratch = int32_t{1};
        return scratch;
      case Step::Kind::kLinkCount:
        scratch = CountLinked(context, *step.field, id, *r);
        return scratch;
      case Step::Kind::kField: {
        if (step.position >= r->values.size()) return NullAsRead(type_);
        const Value& value = r->values[step.position];
        if (i + 1 == steps_.size()) return IsNull(value) ? NullAsRead(type_) : value;
        const auto* target = std::get_if<int32_t>(&value);
        const Record* next = target ? context.GetView().Find(*target) : nullptr;
        if (next == nullptr) return NullAsRead(type_);
        id = *target;
        r = next;
        break;
      }
    }
  }
  return NullAsRead(type_);
}

}  // namespace kestrel
