// Metadata questions of a session: classes, fields, indexes, value lists, access, services.
#include <algorithm>

#include "kestrel/api/ApiState.h"
#include "kestrel/api/Remote.h"

using namespace kestrel;
using namespace kestrel::api;

namespace {

struct Context {
  Session* session = nullptr;
  const Schema* schema = nullptr;
  const ClassDef* cls = nullptr;
};

// The live session, its schema and (when className is given) the class; `ok` is false when
// the session is not live or the class is unknown.
Context Resolve(KSHandle handle, const char16_t* className, bool& ok) {
  Context c;
  KSStatus status;
  c.session = LiveSession(handle, status);
  ok = c.session != nullptr;
  if (!ok) return c;
  c.schema = &c.session->db->GetSchema();
  if (className != nullptr) {
    c.cls = c.schema->FindClass(Narrow(className));
    ok = c.cls != nullptr;
  }
  return c;
}

template <typename F>
const char16_t* const* NameList(KSHandle session, const char16_t* className, int32_t* count,
                                F&& names) {
  if (count != nullptr) *count = 0;
  return Guard<const char16_t* const*>(nullptr, [&]() -> const char16_t* const* {
    bool ok;
    Context c = Resolve(session, className, ok);
    if (!ok || count == nullptr) return nullptr;
    std::vector<std::u16string> texts;
    for (const std::string& name : names(c)) texts.push_back(ToUtf16(name));
    return c.session->results.Texts(std::move(texts), count);
  });
}

template <typename F>
int32_t ClassAnswer(KSHandle session, const char16_t* className, int32_t failure, F&& answer) {
  return Guard<int32_t>(failure, [&]() -> int32_t {
    bool ok;
    Context c = Resolve(session, className ? className : u"", ok);
    return ok ? answer(*c.cls) : failure;
  });
}

}  // namespace

extern "C" {

const char16_t* KSGetClassName(KSHandle session, KSClassID classID) {
  KS_FORWARD(KSGetClassName, session, classID);
  return Guard<const char16_t*>(nullptr, [&]() -> const char16_t* {
    bool ok;
    Context c = Resolve(session, nullptr, ok);
    const ClassDef* cls = ok ? c.schema->FindClass(classID) : nullptr;
    return cls ? c.session->results.Text(ToUtf16(cls->name)) : nullptr;
  });
}

KSClassID KSGetClassID(KSHandle session, const char16_t* className) {
  KS_FORWARD(KSGetClassID, session, className);
  return ClassAnswer(session, className, -1, [](const ClassDef& cls) { return cls.id; });
}

const char16_t* KSGetBaseClass(KSHandle session, const char16_t* className) {
  KS_FORWARD(KSGetBaseClass, session, className);
  return Guard<const char16_t*>(nullptr, [&]() -> const char16_t* {
    bool ok;
    Context c = Resolve(session, className ? className : u"", ok);
    if (!ok || c.cls->base.empty()) return nullptr;
    return c.session->results.Text(ToUtf16(c.cls->base));
  });
}

KSBool KSIsDescendentOf(KSHandle session, const char16_t* parentName, const char16_t* className) {
  KS_FORWARD(KSIsDescendentOf, session, parentName, className);
  return Guard<KSBool>(0, [&]() -> KSBool {
    bool ok;
    Context c = Resolve(session, className ? className : u"", ok);
    const ClassDef* parent = ok ? c.schema->FindClass(Narrow(parentName)) : nullptr;
    return parent != nullptr && c.schema->IsDescendant(*c.cls, *parent) ? 1 : 0;
  });
}

const char16_t* const* KSGetTableNames(KSHandle session, int32_t* count) {
  KS_FORWARD(KSGetTableNames, session, count);
  return NameList(session, nullptr, count, [](const Context& c) {
    std::vector<std::string> names;
    for (const ClassDef& cls : c.schema->classes) names.push_back(cls.name);
    std::sort(names.begin(), names.end());
    return names;
  });
}

const char16_t* const* KSGetGlobalIndexes(KSHandle session, const char16_t* className,
                                          int32_t* count) {
  KS_FORWARD(KSGetGlobalIndexes, session, className, count);
  return NameList(session, className ? className : u"", count, [](const Context& c) {
    std::vector<std::string> names;
    for (const IndexDef* index : c.schema->OrderingIndexesOf(*c.cls)) names.push_back(index->name);
    return names;
  });
}

const char16_t* const* KSGetIndexFields(KSHandle session, const char16_t* className,
                                        const char16_t* indexName, KSBool withLinkedClass,
                                        int32_t* count) {
  KS_FORWARD(KSGetIndexFields, session, className, indexName, withLinkedClass, count);
  return NameList(session, className ? className : u"", count, [&](const Context& c) {
    std::vector<std::string> names;
    const IndexDef* index = c.schema->FindIndex(*c.cls, Narrow(indexName));
    if (index == nullptr) return names;
    const ClassDef& owner = *c.schema->FindClass(index->className);
    const int at = owner.FieldIndex(index->name);
    const bool isLink = at >= 0 && owner.allFields[static_cast<size_t>(at)].type == type::kLinks;
    if (isLink && withLinkedClass != 0) {
      const FieldDef& link = owner.allFields[static_cast<size_t>(at)];
      names.push_back(link.linkVia.empty() ? link.name : link.linkVia);
    }
    names.insert(names.end(), index->fields.begin(), index->fields.end());
    return names;
  });
}

const KSFieldDescription* KSGetFields(KSHandle session, const char16_t* className, KSBool inherited,
                                      int32_t* count) {
  KS_FORWARD(KSGetFields, session, className, inherited, count);
  if (count != nullptr) *count = 0;
  return Guard<const KSFieldDescription*>(nullptr, [&]() -> const KSFieldDescription* {
    bool ok;
    Context c = Resolve(session, className ? className : u"", ok);
    if (!ok || count == nullptr) return nullptr;
    const size_t first = inherited != 0 ? 0 : c.cls->allFields.size() - c.cls->ownFields.size();
    // Three texts per field: name, referenced class, owner; reserved first so that the
    // pointers into them stay put.
    std::vector<std::u16string> texts;
    texts.reserve(3 * (c.cls->allFields.size() - first));
    std::vector<KSFieldDescription> fields;
    for (size_t i = first; i < c.cls->allFields.size(); ++i) {
      const FieldDef& f = c.cls->allFields[i];
      KSFieldDescription d{};
      texts.push_back(ToUtf16(f.name));
      d.name = texts.back().c_str();
      d.type = f.type;
      d.length = f.length;
      d.actualAccess = f.actualAccess;
      d.versionAccess = f.versionAccess;
      d.valueListID = f.valueListID;
      texts.push_back(ToUtf16(f.referencedClass));
      d.referencedClass = f.referencedClass.empty() ? nullptr : texts.back().c_str();
      d.required = f.required ? 1 : 0;
      d.fieldIndex = static_cast<int32_t>(i);
      texts.push_back(ToUtf16(f.owner));
      d.ownerClass = texts.back().c_str();
      d.inherited = f.owner != c.cls->name ? 1 : 0;
      fields.push_back(d);
    }
    return c.session->results.Fields(std::move(fields), std::move(texts), count);
  });
}

const char16_t* const* KSGetDescendents(KSHandle session, const char16_t* className,
                                        int32_t* count) {
  KS_FORWARD(KSGetDescendents, session, className, count);
  return NameList(session, className ? className : u"", count,
                  [](const Context& c) { return c.cls->children; });
}

int32_t KSGetClassFlags(KSHandle session, const char16_t* className) {
  KS_FORWARD(KSGetClassFlags, session, className);
  return ClassAnswer(session, className, -1, [](const ClassDef& cls) { return cls.flags; });
}

const char16_t* KSGetValueListText(KSHandle session, int32_t listID, int32_t value) {
  KS_FORWARD(KSGetValueListText, session, listID, value);
  return Guard<const char16_t*>(nullptr, [&]() -> const char16_t* {
    bool ok;
    Context c = Resolve(session, nullptr, ok);
    if (!ok) return nullptr;
    const auto list = c.schema->valueLists.find(listID);
    if (list == c.schema->valueLists.end()) return nullptr;
    const auto text = list->second.find(value);
    return text == list->second.end() ? nullptr : c.session->results.Text(ToUtf16(text->second));
  });
}

int32_t KSGetClassRootAccess(KSHandle session, const char16_t* className) {
  KS_FORWARD(KSGetClassRootAccess, session, className);
  return ClassAnswer(session, className, access::kInvisible,
                     [](const ClassDef& cls) { return cls.rootAccess; });
}

int32_t KSGetClassVersionAccess(KSHandle session, const char16_t* className) {
  KS_FORWARD(KSGetClassVersionAccess, session, className);
  return ClassAnswer(session, className, access::kInvisible,
                     [](const ClassDef& cls) { return cls.versionAccess; });
}

KSStatus KSGetServiceAccess(KSHandle session, const char16_t* service, int32_t* rootAccess,
                            int32_t* versionAccess) {
  KS_FORWARD_STATUS(KSGetServiceAccess, session, service, rootAccess, versionAccess);
  return Guard<KSStatus>(KS_ERR_INTERNAL, [&]() -> KSStatus {
    KSStatus status;
    Session* s = LiveSession(session, status);
    if (s == nullptr) return status;
    if (rootAccess == nullptr || versionAccess == nullptr) return KS_ERR_INVALID_ARGUMENT;
    const ServiceDef* def = s->db->GetSchema().FindService(Narrow(service));
    if (def == nullptr) return KS_ERR_NO_SUCH_SERVICE;
    *rootAccess = def->rootAccess;
    *versionAccess = def->versionAccess;
    return KS_OK;
  });
}

const KSField* KSGetFieldDefaultValue(KSHandle session, const char16_t* className,
                                      const char16_t* fieldName) {
  KS_FORWARD(KSGetFieldDefaultValue, session, className, fieldName);
  return Guard<const KSField*>(nullptr, [&]() -> const KSField* {
    bool ok;
    Context c = Resolve(session, className ? className : u"", ok);
    const int at = ok ? c.cls->FieldIndex(Narrow(fieldName)) : -1;
    if (at < 0) return nullptr;
    const FieldDef& field = c.cls->allFields[static_cast<size_t>(at)];
    if (IsNull(field.defaultValue)) return nullptr;
    return c.session->results.Field(field.defaultValue, field.type, ToUtf16(field.name));
  });
}

const char16_t* const* KSGetAvailableSignals(KSHandle session, int32_t* count) {
  KS_FORWARD(KSGetAvailableSignals, session, count);
  return NameList(session, nullptr, count, [](const Context& c) {
    std::vector<std::string> names;
    for (const SignalDef& signal : c.schema->signals) names.push_back(signal.name);
    std::sort(names.begin(), names.end());
    return names;
  });
}

}  // extern "C"
