#include "kestrel/api/Wire.h"

#include <algorithm>
#include <cstring>

namespace kestrel::api::wire {

namespace {

constexpr int32_t kNullValue = 0, kIntegerValue = 1, kDoubleValue = 2, kTextValue = 3,
                  kBytesValue = 4;

std::string BlobBytes(const void* data, int32_t length) {
  if (data == nullptr || length <= 0) return {};
  return std::string(static_cast<const char*>(data), static_cast<size_t>(length));
}

// Null stays null: the header tells a null text from an empty one in places.
const char16_t* OptionalText(bool present, const std::string& bytes, Arena& arena) {
  return present ? arena.Text(bytes) : nullptr;
}

}  // namespace

std::string Bytes(const char16_t* text) {
  if (text == nullptr) return {};
  size_t n = 0;
  while (text[n] != u'\0') ++n;
  return std::string(reinterpret_cast<const char*>(text), n * sizeof(char16_t));
}

std::u16string Utf16(const std::string& bytes) {
  std::u16string text(bytes.size() / sizeof(char16_t), u'\0');
  std::memcpy(text.data(), bytes.data(), text.size() * sizeof(char16_t));
  return text;
}

void Arena::Clear() {
  texts_.clear();
  blobs_.clear();
  arrays_.clear();
}

const char16_t* Arena::Text(const std::string& bytes) { return texts_.emplace_back(Utf16(bytes)).c_str(); }

const void* Arena::Blob(const std::string& bytes) { return blobs_.emplace_back(bytes).data(); }

void ToWire(const KSField& field, rpc::Field& out) {
  out.set_type(field.type);
  switch (field.type) {
    case KS_TYPE_FLOAT:
    case KS_TYPE_CURRENCY:
      out.set_as_double(field.value.asDouble);
      break;
    case KS_TYPE_STRING:
      if (field.value.asString != nullptr) out.set_as_string(Bytes(field.value.asString));
      break;
    case KS_TYPE_BLOB:
      out.set_as_blob(BlobBytes(field.value.asBlob, field.blobLength));
      out.set_as_integer(field.value.asBlob == nullptr ? 0 : field.blobLength);
      break;
    default:
      out.set_as_integer(field.value.asInteger);
  }
  if (field.name != nullptr) out.set_name(Bytes(field.name));
}

KSField FromWire(const rpc::Field& field, Arena& arena) {
  KSField out{};
  out.type = field.type();
  switch (field.type()) {
    case KS_TYPE_FLOAT:
    case KS_TYPE_CURRENCY:
      out.value.asDouble = field.as_double();
      break;
    case KS_TYPE_STRING:
      out.value.asString = OptionalText(field.has_as_string(), field.as_string(), arena);
      break;
    case KS_TYPE_BLOB:
      // A negative length is the caller's fault and must reach the library as it was given.
      out.blobLength = field.as_integer();
      out.value.asBlob = field.as_integer() == 0 && field.as_blob().empty()
                             ? nullptr
                             : arena.Blob(field.as_blob());
      break;
    default:
      out.value.asInteger = field.as_integer();
  }
  out.name = OptionalText(field.has_name(), field.name(), arena);
  return out;
}

void ToWire(const KSFieldDescription& field, rpc::FieldDescription& out) {
  out.set_name(Bytes(field.name));
  out.set_type(field.type);
  out.set_length(field.length);
  out.set_actual_access(field.actualAccess);
  out.set_version_access(field.versionAccess);
  out.set_value_list_id(field.valueListID);
  if (field.referencedClass != nullptr) out.set_referenced_class(Bytes(field.referencedClass));
  out.set_required(field.required);
  out.set_field_index(field.fieldIndex);
  out.set_owner_class(Bytes(field.ownerClass));
  out.set_inherited(field.inherited);
}

KSFieldDescription FromWire(const rpc::FieldDescription& field, Arena& arena) {
  KSFieldDescription out{};
  out.name = arena.Text(field.name());
  out.type = field.type();
  out.length = field.length();
  out.actualAccess = field.actual_access();
  out.versionAccess = field.version_access();
  out.valueListID = field.value_list_id();
  out.referencedClass = OptionalText(field.has_referenced_class(), field.referenced_class(), arena);
  out.required = field.required();
  out.fieldIndex = field.field_index();
  out.ownerClass = arena.Text(field.owner_class());
  out.inherited = field.inherited();
  return out;
}

void ToWire(const KSErrorRecord& error, rpc::ErrorRecord& out) {
  out.set_record_id(error.recordID);
  out.set_code(error.code);
  out.set_severity(error.severity);
  out.set_class_id(error.classID);
  out.set_field_index(error.fieldIndex);
}

KSErrorRecord FromWire(const rpc::ErrorRecord& error) {
  KSErrorRecord out{};
  out.recordID = error.record_id();
  out.code = error.code();
  out.severity = static_cast<int16_t>(error.severity());
  out.classID = error.class_id();
  out.fieldIndex = error.field_index();
  return out;
}

void ToWire(const KSSignalArgInfo& info, rpc::SignalArgInfo& out) {
  out.set_description(Bytes(info.description));
  out.set_type(info.type);
  out.set_is_array(info.isArray);
}

KSSignalArgInfo FromWire(const rpc::SignalArgInfo& info, Arena& arena) {
  return KSSignalArgInfo{arena.Text(info.description()), info.type(), info.is_array()};
}

namespace {

// An argument's single value or element, typed by `type` as the header reads it.
template <typename V>
void ScalarToWire(int32_t type, const V& value, rpc::Field& out) {
  out.set_type(type);
  if (type == KS_TYPE_FLOAT || type == KS_TYPE_CURRENCY)
    out.set_as_double(value.asDouble);
  else if (type == KS_TYPE_STRING && value.asString != nullptr)
    out.set_as_string(Bytes(value.asString));
  else if (type != KS_TYPE_STRING)
    out.set_as_integer(value.asInteger);
}

template <typename V>
V ScalarFromWire(const rpc::Field& field, Arena& arena) {
  V out{};
  if (field.type() == KS_TYPE_FLOAT || field.type() == KS_TYPE_CURRENCY)
    out.asDouble = field.as_double();
  else if (field.type() == KS_TYPE_STRING)
    out.asString = OptionalText(field.has_as_string(), field.as_string(), arena);
  else
    out.asInteger = field.as_integer();
  return out;
}

}  // namespace

void ToWire(const KSArgumentValue& argument, rpc::ArgumentValue& out) {
  out.set_is_array(argument.isArray);
  out.set_value_type(argument.valueType);
  ScalarToWire(argument.valueType, argument.single, *out.mutable_single());
  out.set_element_type(argument.elementType);
  out.set_element_count(argument.elementCount);
  out.set_null_elements(argument.elements == nullptr);
  if (argument.isArray != 0 && argument.elements != nullptr)
    for (int32_t i = 0; i < argument.elementCount; ++i)
      ScalarToWire(argument.elementType, argument.elements[i], *out.add_elements());
}

KSArgumentValue FromWire(const rpc::ArgumentValue& argument, Arena& arena) {
  KSArgumentValue out{};
  out.isArray = argument.is_array();
  out.valueType = argument.value_type();
  out.single = ScalarFromWire<decltype(out.single)>(argument.single(), arena);
  out.elementType = argument.element_type();
  out.elementCount = argument.element_count();
  if (argument.null_elements()) return out;
  // What arrived is all there is to read, and a given array stays non-null even when empty.
  const auto count = static_cast<size_t>(argument.elements_size());
  auto* elements = arena.Array<KSArgumentElement>(std::max(count, size_t{1}));
  for (size_t i = 0; i < count; ++i)
    elements[i] = ScalarFromWire<KSArgumentElement>(argument.elements(static_cast<int>(i)), arena);
  out.elements = elements;
  out.elementCount = std::min(out.elementCount, static_cast<int32_t>(count));
  return out;
}

void ToWire(const Condition& condition, rpc::Condition& out) {
  out.set_kind(static_cast<int32_t>(condition.kind));
  out.set_field(condition.field);
  out.set_op(condition.op);
  out.set_target(static_cast<int32_t>(condition.target));
  rpc::Field& value = *out.mutable_value();
  if (const auto* n = std::get_if<int32_t>(&condition.value)) {
    value.set_type(kIntegerValue);
    value.set_as_integer(*n);
  } else if (const auto* d = std::get_if<double>(&condition.value)) {
    value.set_type(kDoubleValue);
    value.set_as_double(*d);
  } else if (const auto* text = std::get_if<std::u16string>(&condition.value)) {
    value.set_type(kTextValue);
    value.set_as_string(Bytes(text->c_str()));
  } else if (const auto* blob = std::get_if<Blob>(&condition.value)) {
    value.set_type(kBytesValue);
    value.set_as_blob(std::string(blob->begin(), blob->end()));
  } else {
    value.set_type(kNullValue);
  }
  if (condition.left) ToWire(*condition.left, *out.mutable_left());
  if (condition.right) ToWire(*condition.right, *out.mutable_right());
  out.set_link(condition.link);
  out.set_every(condition.every);
}

ConditionPtr FromWire(const rpc::Condition& condition) {
  const auto kind = static_cast<Condition::Kind>(condition.kind());
  const ConditionPtr left = condition.has_left() ? FromWire(condition.left()) : nullptr;
  const ConditionPtr right = condition.has_right() ? FromWire(condition.right()) : nullptr;
  switch (kind) {
    case Condition::Kind::kAnd:
    case Condition::Kind::kOr:
      return Condition::Both(kind, left, right);
    case Condition::Kind::kContains:
      return Condition::Contains(condition.link(), left, condition.every());
    default:
      break;
  }
  const rpc::Field& v = condition.value();
  Value value;
  switch (v.type()) {
    case kIntegerValue:
      value = v.as_integer();
      break;
    case kDoubleValue:
      value = v.as_double();
      break;
    case kTextValue:
      value = Utf16(v.as_string());
      break;
    case kBytesValue:
      value = Blob(v.as_blob().begin(), v.as_blob().end());
      break;
    default:
      break;
  }
  // Made again from its parts, a comparison compiles its pattern here.
  return Condition::Compare(condition.field(), condition.op(),
                            static_cast<Condition::Target>(condition.target()), std::move(value));
}

void ToWire(const CursorShape& shape, rpc::Sort& out) {
  for (const SortField& field : shape.sort) {
    rpc::SortField& f = *out.add_fields();
    f.set_path(field.field);
    f.set_descending(field.descending);
  }
  for (const std::string& field : shape.distinct) out.add_distinct(field);
  if (shape.filter) ToWire(*shape.filter, *out.mutable_filter());
}

CursorShape FromWire(const rpc::Sort& sort) {
  CursorShape shape;
  for (const rpc::SortField& f : sort.fields()) shape.sort.push_back(SortField{f.path(), f.descending()});
  for (const std::string& field : sort.distinct()) shape.distinct.push_back(field);
  if (sort.has_filter()) shape.filter = FromWire(sort.filter());
  return shape;
}

}  // namespace kestrel::api::wire
