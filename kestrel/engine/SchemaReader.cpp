#include "kestrel/engine/SchemaReader.h"

#include <functional>
#include <nlohmann/json.hpp>
#include <set>
#include <unordered_map>

#include "kestrel/engine/FileIO.h"
#include "kestrel/engine/SignalCondition.h"
#include "kestrel/engine/Text.h"

namespace kestrel {

namespace {

using Json = nlohmann::json;

// Walks the JSON document, keeping the JSON pointer of the node being read for error texts.
class SchemaJsonReader {
 public:
  explicit SchemaJsonReader(std::string file) : file_(std::move(file)) {}

  [[noreturn]] void Fail(const std::string& where, const std::string& reason) const {
    throw SchemaError(file_, where.empty() ? "/" : where, reason);
  }

  const Json& Member(const Json& obj, const std::string& where, const char* key,
                     Json::value_t kind) const {
    const auto it = obj.find(key);
    if (it == obj.end()) Fail(where, std::string("missing \"") + key + "\"");
    CheckKind(*it, where + "/" + key, kind);
    return *it;
  }

  template <typename T>
  T Optional(const Json& obj, const std::string& where, const char* key, T fallback) const {
    const auto it = obj.find(key);
    if (it == obj.end()) return fallback;
    if constexpr (std::is_same_v<T, bool>) {
      CheckKind(*it, where + "/" + key, Json::value_t::boolean);
    } else if constexpr (std::is_same_v<T, std::string>) {
      CheckKind(*it, where + "/" + key, Json::value_t::string);
    } else {
      if (!it->is_number_integer()) Fail(where + "/" + key, "an integer is expected");
      const auto n = it->get<int64_t>();
      if (n < INT32_MIN || n > INT32_MAX) Fail(where + "/" + key, "the integer is out of range");
    }
    return it->get<T>();
  }

  const Json& Array(const Json& obj, const std::string& where, const char* key) const {
    static const Json kEmpty = Json::array();
    const auto it = obj.find(key);
    if (it == obj.end()) return kEmpty;
    CheckKind(*it, where + "/" + key, Json::value_t::array);
    return *it;
  }

  void CheckKind(const Json& node, const std::string& where, Json::value_t kind) const {
    const bool ok =
        kind == Json::value_t::number_integer ? node.is_number_integer() : node.type() == kind;
    if (!ok)
      Fail(where, std::string("a value of another kind is expected than ") + node.type_name());
  }

  int32_t Access(const Json& obj, const std::string& where, const char* key) const {
    const auto value = Optional<int32_t>(obj, where, key, access::kReadWrite);
    if (value < 0 || value > 3) Fail(where + "/" + key, "access must be 0 to 3");
    return value;
  }

 private:
  std::string file_;
};

Value ParseDefault(const SchemaJsonReader& r, const Json& node, int32_t fieldType,
                   const std::string& where) {
  if (node.is_null()) return {};
  switch (AlternativeOf(fieldType)) {
    case 1:
      if (fieldType == type::kBoolean && node.is_boolean()) return int32_t{node.get<bool>()};
      if (node.is_number_integer()) {
        const auto n = node.get<int64_t>();
        if (n >= INT32_MIN && n <= INT32_MAX) return Normalize(static_cast<int32_t>(n), fieldType);
      }
      break;
    case 2:
      if (node.is_number()) return node.get<double>();
      break;
    case 3:
      if (node.is_string()) return Normalize(ToUtf16(node.get<std::string>()), fieldType);
      break;
    case 4:
      if (node.is_string()) {
        const auto hex = node.get<std::string>();
        Blob blob;
        auto digit = [](char c) {
          return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        };
        bool ok = hex.size() % 2 == 0;
        for (size_t i = 0; ok && i < hex.size(); i += 2) {
          const int hi = digit(hex[i]), lo = digit(hex[i + 1]);
          ok = hi >= 0 && lo >= 0;
          blob.push_back(static_cast<uint8_t>(hi * 16 + lo));
        }
        if (ok) return blob;
      }
      break;
    default:
      break;
  }
  r.Fail(where, "the default value does not fit the field's type");
}

FieldDef ParseField(const SchemaJsonReader& r, const Json& node, const std::string& where) {
  r.CheckKind(node, where, Json::value_t::object);
  FieldDef field;
  field.name = r.Member(node, where, "name", Json::value_t::string).get<std::string>();
  if (field.name.empty()) r.Fail(where + "/name", "the field name is empty");
  field.type = r.Member(node, where, "type", Json::value_t::number_integer).get<int32_t>();
  if (!IsKnownType(field.type) || field.type == type::kId || field.type == type::kLinks)
    r.Fail(where + "/type", "unsupported field type " + std::to_string(field.type));
  field.length = r.Optional<int32_t>(node, where, "length", 0);
  if (field.length < 0) r.Fail(where + "/length", "the length is negative");
  field.actualAccess = r.Access(node, where, "access");
  field.versionAccess = r.Access(node, where, "versionAccess");
  field.referencedClass = r.Optional<std::string>(node, where, "references", "");
  field.valueListID = r.Optional<int32_t>(node, where, "valueList", 0);
  field.required = r.Optional<bool>(node, where, "required", false);
  if (const auto it = node.find("default"); it != node.end())
    field.defaultValue = ParseDefault(r, *it, field.type, where + "/default");
  return field;
}

IndexDef ParseIndex(const SchemaJsonReader& r, const Json& node, const std::string& where) {
  r.CheckKind(node, where, Json::value_t::object);
  IndexDef index;
  index.name = r.Member(node, where, "name", Json::value_t::string).get<std::string>();
  if (index.name.empty()) r.Fail(where + "/name", "the index name is empty");
  index.className = r.Member(node, where, "class", Json::value_t::string).get<std::string>();
  index.unique = r.Optional<bool>(node, where, "unique", false);
  const Json& fields = r.Array(node, where, "fields");
  for (size_t i = 0; i < fields.size(); ++i) {
    r.CheckKind(fields[i], where + "/fields/" + std::to_string(i), Json::value_t::string);
    index.fields.push_back(fields[i].get<std::string>());
  }
  return index;
}

ClassDef ParseClass(const SchemaJsonReader& r, const Json& node, const std::string& where) {
  r.CheckKind(node, where, Json::value_t::object);
  ClassDef cls;
  cls.name = r.Member(node, where, "name", Json::value_t::string).get<std::string>();
  if (cls.name.empty()) r.Fail(where + "/name", "the class name is empty");
  cls.base = r.Optional<std::string>(node, where, "base", "");
  cls.flags = r.Optional<int32_t>(node, where, "flags", 0);
  if ((cls.flags & ~classflag::kAll) != 0) r.Fail(where + "/flags", "unknown class flags");
  cls.rootAccess = r.Access(node, where, "rootAccess");
  cls.versionAccess = r.Access(node, where, "versionAccess");
  cls.protectField = r.Optional<std::string>(node, where, "protectedBy", "");
  const Json& fields = r.Array(node, where, "fields");
  for (size_t i = 0; i < fields.size(); ++i)
    cls.ownFields.push_back(ParseField(r, fields[i], where + "/fields/" + std::to_string(i)));
  return cls;
}

FieldDef SystemField(const char* name, int32_t fieldType, int32_t length = 0,
                     const char* references = "") {
  FieldDef field;
  field.name = name;
  field.type = fieldType;
  field.length = length;
  field.referencedClass = references;
  return field;
}

void AddSystemClasses(Schema& schema) {
  ClassDef user;
  user.name = "SYSUser";
  user.ownFields = {
      SystemField("name", type::kString, 64), SystemField("password", type::kString, 0),
      SystemField("isAdmin", type::kBoolean), SystemField("lastLogin", type::kDateTime)};
  user.ownFields[0].required = true;
  user.ownFields[1].actualAccess = user.ownFields[1].versionAccess = access::kInvisible;

  ClassDef trn;
  trn.name = "_DBTransaction";
  // The engine keeps these rows in step with the persistent transactions; nobody else writes.
  trn.rootAccess = trn.versionAccess = access::kReadOnly;
  trn.ownFields = {SystemField("name", type::kString, 128),
                   SystemField("isPrivate", type::kBoolean),
                   SystemField("isProtected", type::kBoolean),
                   SystemField("isVersion", type::kBoolean),
                   SystemField("userName", type::kString, 64),
                   SystemField("StartDate", type::kDateTime),
                   SystemField("Description", type::kString, 0),
                   SystemField("parentP", type::kReference, 0, "_DBTransaction")};
  FieldDef children = SystemField("childrenPV", type::kLinks, 0, "_DBTransaction");
  children.linkVia = "parentP";
  trn.ownFields.push_back(children);
  IndexDef childrenIndex{"childrenPV", "_DBTransaction", {"name"}, false};
  schema.linkIndexes.push_back(childrenIndex);

  ClassDef udf;
  udf.name = "BOUDF";
  udf.ownFields = {SystemField("description", type::kString, 64),
                   SystemField("classType", type::kEnumerated)};
  schema.globalIndexes.push_back(
      IndexDef{"primaryPV", "BOUDF", {"classType", "description"}, true});

  ClassDef udfValue;
  udfValue.name = "BOUDFValue";
  udfValue.ownFields = {SystemField("boP", type::kReference),
                        SystemField("UDFP", type::kReference, 0, "BOUDF"),
                        SystemField("value", type::kString, 255)};
  schema.classes.push_back(std::move(user));
  schema.classes.push_back(std::move(trn));
  schema.classes.push_back(std::move(udf));
  schema.classes.push_back(std::move(udfValue));
}

// Orders classes so that every base precedes its subclasses, keeping file order otherwise.
void OrderClasses(const SchemaJsonReader& r, Schema& schema) {
  std::map<std::string, size_t> position;
  for (size_t i = 0; i < schema.classes.size(); ++i) {
    if (!position.emplace(schema.classes[i].name, i).second)
      r.Fail("/classes/" + std::to_string(i) + "/name",
             "class " + schema.classes[i].name + " is defined twice");
  }
  std::vector<ClassDef> ordered;
  std::set<std::string> placed, visiting;
  std::function<void(size_t)> place = [&](size_t i) {
    ClassDef& cls = schema.classes[i];
    if (placed.count(cls.name)) return;
    const std::string where = "/classes/" + std::to_string(i) + "/base";
    if (!visiting.insert(cls.name).second) r.Fail(where, "the class hierarchy has a cycle");
    if (!cls.base.empty()) {
      const auto it = position.find(cls.base);
      if (it == position.end()) r.Fail(where, "unknown base class " + cls.base);
      place(it->second);
    }
    placed.insert(cls.name);
    ordered.push_back(cls);
  };
  for (size_t i = 0; i < schema.classes.size(); ++i) place(i);
  schema.classes = std::move(ordered);
}

// The system classes' indexes come first; `systemIndexes` of each list are not in the file.
void CheckReferences(const SchemaJsonReader& r, const Schema& schema, size_t systemGlobal,
                     size_t systemLinks) {
  // Classes come bases first, so each field is checked once, in the class that declares it; a
  // name is defined twice when the class itself or one of its bases declared it before. Only
  // the declarers of the same name are compared, so a long chain of classes costs no more than
  // as many unrelated ones.
  std::unordered_map<std::string, std::vector<const ClassDef*>> declarers;
  for (const ClassDef& cls : schema.classes) {
    for (const FieldDef& field : cls.ownFields) {
      const std::string where = "class " + cls.name + ", field " + field.name;
      std::vector<const ClassDef*>& before = declarers[field.name];
      for (const ClassDef* other : before)
        if (schema.IsDescendant(cls, *other)) r.Fail(where, "the field is defined twice");
      before.push_back(&cls);
      if (!field.referencedClass.empty() && schema.FindClass(field.referencedClass) == nullptr)
        r.Fail(where, "unknown referenced class " + field.referencedClass);
      if (field.type == type::kEnumerated && field.valueListID != 0 &&
          schema.valueLists.count(field.valueListID) == 0)
        r.Fail(where, "unknown value list " + std::to_string(field.valueListID));
    }
  }
  auto checkIndex = [&](const IndexDef& index, const std::string& where, bool onTarget) {
    const ClassDef* cls = schema.FindClass(index.className);
    if (cls == nullptr) r.Fail(where, "unknown class " + index.className);
    if (onTarget)
      cls = schema.FindClass(cls->allFields[cls->FieldIndex(index.name)].referencedClass);
    for (const std::string& field : index.fields)
      if (cls->FieldIndex(field) < 0) r.Fail(where, "unknown index field " + field);
  };
  for (size_t i = systemGlobal; i < schema.globalIndexes.size(); ++i)
    checkIndex(schema.globalIndexes[i], "/globalIndexes/" + std::to_string(i - systemGlobal),
               false);
  for (size_t i = systemLinks; i < schema.linkIndexes.size(); ++i)
    checkIndex(schema.linkIndexes[i], "/linkIndexes/" + std::to_string(i - systemLinks), true);
}

// Turns a link index into the type-14 field of its class.
void AddLinkField(const SchemaJsonReader& r, Schema& schema, const Json& node,
                  const std::string& where) {
  IndexDef index = ParseIndex(r, node, where);
  FieldDef field;
  field.name = index.name;
  field.type = type::kLinks;
  field.referencedClass = r.Member(node, where, "target", Json::value_t::string).get<std::string>();
  if (field.referencedClass.empty()) r.Fail(where + "/target", "the target class is empty");
  field.linkVia = r.Optional<std::string>(node, where, "via", "");
  field.actualAccess = field.versionAccess = access::kReadOnly;
  for (ClassDef& cls : schema.classes)
    if (cls.name == index.className) {
      cls.ownFields.push_back(field);
      schema.linkIndexes.push_back(std::move(index));
      return;
    }
  r.Fail(where + "/class", "unknown class " + index.className);
}

void CheckProtectFields(const SchemaJsonReader& r, const Schema& schema) {
  for (const ClassDef& cls : schema.classes) {
    if (cls.protectField.empty()) continue;
    const int at = cls.FieldIndex(cls.protectField);
    if (at < 0 || cls.allFields[static_cast<size_t>(at)].type != type::kBoolean)
      r.Fail("class " + cls.name + ", protectedBy",
             "\"" + cls.protectField + "\" is not a boolean field of the class");
  }
}

void CheckLinkVia(const SchemaJsonReader& r, const Schema& schema) {
  for (const ClassDef& cls : schema.classes)
    for (const FieldDef& field : cls.ownFields) {
      if (!field.IsComputedLink()) continue;
      const ClassDef* target = schema.FindClass(field.referencedClass);
      const int via = target->FieldIndex(field.linkVia);
      if (via < 0 || target->allFields[static_cast<size_t>(via)].type != type::kReference)
        r.Fail("link index " + field.name,
               "\"via\" must name a reference field of " + target->name);
    }
}

// A signal definition; its class is checked once the classes are known. An argument is named
// after its description unless it has a name; type 14 (record IDs) is always an array.
SignalDef ReadSignal(const SchemaJsonReader& r, const Json& node, const std::string& where) {
  r.CheckKind(node, where, Json::value_t::object);
  SignalDef signal;
  signal.name = r.Member(node, where, "name", Json::value_t::string).get<std::string>();
  signal.className = r.Member(node, where, "class", Json::value_t::string).get<std::string>();
  signal.condition = r.Optional<std::string>(node, where, "condition", "");
  const Json& args = r.Array(node, where, "arguments");
  for (size_t k = 0; k < args.size(); ++k) {
    const std::string at = where + "/arguments/" + std::to_string(k);
    r.CheckKind(args[k], at, Json::value_t::object);
    SignalArgDef arg;
    arg.description = r.Optional<std::string>(args[k], at, "description", "");
    arg.name = r.Optional<std::string>(args[k], at, "name", arg.description);
    arg.type = r.Member(args[k], at, "type", Json::value_t::number_integer).get<int32_t>();
    arg.isArray = r.Optional<bool>(args[k], at, "array", false) || arg.type == type::kLinks;
    if (arg.type == type::kBlob || (!IsKnownType(arg.type) && arg.type != type::kId))
      r.Fail(at + "/type", "unsupported type");
    signal.arguments.push_back(std::move(arg));
  }
  try {
    signal.parsed = SignalCondition::Parse(signal.condition, signal.arguments);
  } catch (const SignalConditionError& e) {
    r.Fail(where + "/condition", e.what());
  }
  return signal;
}

}  // namespace

SchemaPtr ParseSchema(const std::string& jsonText, const std::string& fileName) {
  const SchemaJsonReader r(fileName);
  Json doc;
  try {
    doc = Json::parse(jsonText);
  } catch (const Json::parse_error& e) {
    throw SchemaError(fileName, "byte " + std::to_string(e.byte), "syntax error");
  } catch (const Json::exception& e) {
    throw SchemaError(fileName, "/", e.what());  // a number the reader cannot hold
  }
  r.CheckKind(doc, "", Json::value_t::object);
  auto schema = std::make_shared<Schema>();
  schema->name = r.Member(doc, "", "name", Json::value_t::string).get<std::string>();
  schema->version = r.Member(doc, "", "version", Json::value_t::string).get<std::string>();
  if (schema->name.empty()) r.Fail("/name", "the schema name is empty");
  const Json& classes = r.Member(doc, "", "classes", Json::value_t::array);
  for (size_t i = 0; i < classes.size(); ++i)
    schema->classes.push_back(ParseClass(r, classes[i], "/classes/" + std::to_string(i)));
  const Json& lists = r.Array(doc, "", "valueLists");
  for (size_t i = 0; i < lists.size(); ++i) {
    const std::string where = "/valueLists/" + std::to_string(i);
    r.CheckKind(lists[i], where, Json::value_t::object);
    const auto id = r.Member(lists[i], where, "id", Json::value_t::number_integer).get<int32_t>();
    auto& texts = schema->valueLists[id];
    for (const auto& [key, text] :
         r.Member(lists[i], where, "values", Json::value_t::object).items()) {
      r.CheckKind(text, where + "/values/" + key, Json::value_t::string);
      try {
        texts[std::stoi(key)] = text.get<std::string>();
      } catch (const std::exception&) {
        r.Fail(where + "/values/" + key, "the value is not a number");
      }
    }
  }
  for (const ClassDef& cls : schema->classes)
    if (cls.name == "SYSUser" || cls.name == "_DBTransaction" || cls.name == "BOUDF" ||
        cls.name == "BOUDFValue")
      r.Fail("/classes", "class " + cls.name + " is a system class");
  AddSystemClasses(*schema);
  const size_t systemGlobal = schema->globalIndexes.size(),
               systemLinks = schema->linkIndexes.size();
  const Json& links = r.Array(doc, "", "linkIndexes");
  for (size_t i = 0; i < links.size(); ++i)
    AddLinkField(r, *schema, links[i], "/linkIndexes/" + std::to_string(i));
  const Json& indexes = r.Array(doc, "", "globalIndexes");
  for (size_t i = 0; i < indexes.size(); ++i)
    schema->globalIndexes.push_back(
        ParseIndex(r, indexes[i], "/globalIndexes/" + std::to_string(i)));
  const Json& services = r.Array(doc, "", "services");
  for (size_t i = 0; i < services.size(); ++i) {
    const std::string where = "/services/" + std::to_string(i);
    r.CheckKind(services[i], where, Json::value_t::object);
    ServiceDef service;
    service.name = r.Member(services[i], where, "name", Json::value_t::string).get<std::string>();
    service.isPublic = r.Optional<bool>(services[i], where, "public", true);
    service.rootAccess = r.Optional<int32_t>(services[i], where, "rootAccess", 1) != 0 ? 1 : 0;
    service.versionAccess =
        r.Optional<int32_t>(services[i], where, "versionAccess", 1) != 0 ? 1 : 0;
    if (schema->FindService(service.name) != nullptr) r.Fail(where, "the service is defined twice");
    schema->services.push_back(std::move(service));
  }
  const Json& signals = r.Array(doc, "", "signals");
  for (size_t i = 0; i < signals.size(); ++i) {
    const std::string where = "/signals/" + std::to_string(i);
    r.CheckKind(signals[i], where, Json::value_t::object);
    schema->signals.push_back(ReadSignal(r, signals[i], where));
  }
  OrderClasses(r, *schema);
  schema->Finish();
  CheckReferences(r, *schema, systemGlobal, systemLinks);
  CheckLinkVia(r, *schema);
  CheckProtectFields(r, *schema);
  for (size_t i = 0; i < schema->signals.size(); ++i)
    if (schema->FindClass(schema->signals[i].className) == nullptr)
      r.Fail("/signals/" + std::to_string(i) + "/class", "no such class");
  return schema;
}

SchemaPtr ReadSchemaFile(const std::string& path) {
  std::string text;
  // The largest schema in use is a few hundred kilobytes; the bound keeps a stray large file
  // from being read into memory before it is refused.
  constexpr uint64_t kMaxSchemaFileBytes = 64u << 20;
  const ReadOutcome read = ReadRegularFile(path, text, kMaxSchemaFileBytes);
  if (read == ReadOutcome::kNotRegularFile) throw SchemaError(path, "/", "not a regular file");
  if (read == ReadOutcome::kTooLarge) throw SchemaError(path, "/", "the file is too large");
  if (read != ReadOutcome::kOk) throw SchemaError(path, "/", "the file cannot be read");
  return ParseSchema(text, path);
}

}  // namespace kestrel
