#include "kestrel/api/Results.h"

#include <limits>

namespace kestrel::api {

void Results::Clear() {
  texts_.clear();
  pointers_.clear();
  handles_.clear();
  fields_.clear();
  blob_.clear();
  named_.clear();
  field_ = KSField{};
}

void Results::Values(std::vector<Named> values, KSField* out) {
  Clear();
  named_ = std::move(values);
  static const std::u16string kNoText;
  static const Blob kNoBlob;
  for (size_t i = 0; i < named_.size(); ++i) {
    const Named& n = named_[i];
    const auto* text = std::get_if<std::u16string>(&n.value);
    const auto* blob = std::get_if<Blob>(&n.value);
    out[i] = ToApiField(n.value, n.type, text ? *text : kNoText, blob ? *blob : kNoBlob);
    out[i].name = n.name.c_str();
  }
}

const char16_t* Results::Text(std::u16string text) {
  Clear();
  texts_.push_back(std::move(text));
  return texts_.back().c_str();
}

const char16_t* const* Results::Texts(std::vector<std::u16string> texts, int32_t* count) {
  Clear();
  texts_ = std::move(texts);
  for (const std::u16string& t : texts_) pointers_.push_back(t.c_str());
  if (count != nullptr) *count = static_cast<int32_t>(pointers_.size());
  return pointers_.empty() ? nullptr : pointers_.data();
}

const KSHandle* Results::Handles(std::vector<KSHandle> handles, int32_t* count) {
  Clear();
  handles_ = std::move(handles);
  if (count != nullptr) *count = static_cast<int32_t>(handles_.size());
  return handles_.empty() ? nullptr : handles_.data();
}

const KSFieldDescription* Results::Fields(std::vector<KSFieldDescription> fields,
                                          std::vector<std::u16string> names, int32_t* count) {
  Clear();
  texts_ = std::move(names);
  fields_ = std::move(fields);
  if (count != nullptr) *count = static_cast<int32_t>(fields_.size());
  return fields_.empty() ? nullptr : fields_.data();
}

const KSField* Results::Field(const Value& value, int32_t fieldType, std::u16string name) {
  Clear();
  texts_.push_back(std::move(name));
  texts_.push_back(std::holds_alternative<std::u16string>(value) ? std::get<std::u16string>(value)
                                                                 : std::u16string());
  if (const auto* blob = std::get_if<Blob>(&value)) blob_ = *blob;
  field_ = ToApiField(value, fieldType, texts_[1], blob_);
  field_.name = texts_[0].c_str();
  return &field_;
}

bool FromApiField(const KSField& field, int32_t fieldType, Value& value) {
  const bool sameType =
      field.type == fieldType || (fieldType == type::kReference && field.type == type::kId);
  if (!sameType) return false;
  switch (AlternativeOf(fieldType)) {
    case 1:
      value = fieldType == type::kBoolean ? int32_t{field.value.asBoolean != 0 ? 1 : 0}
                                          : field.value.asInteger;
      return true;
    case 2:
      value = field.value.asDouble;
      return true;
    case 3:
      value = field.value.asString ? Value{std::u16string(field.value.asString)} : Value{};
      return true;
    case 4: {
      if (field.blobLength < 0 || (field.blobLength > 0 && field.value.asBlob == nullptr))
        return false;
      const auto* bytes = static_cast<const uint8_t*>(field.value.asBlob);
      value = field.blobLength == 0 ? Value{} : Value{Blob(bytes, bytes + field.blobLength)};
      return true;
    }
    default:
      return false;
  }
}

bool ComparableFromApiField(const KSField& field, Value& value) {
  if (field.type == type::kLinks) {
    value = field.value.asInteger;
    return true;
  }
  if (!FromApiField(field, field.type, value)) return false;
  if (IsNull(value)) value = NullAsRead(field.type);
  return true;
}

KSField ToApiField(const Value& value, int32_t fieldType, const std::u16string& text,
                   const std::vector<uint8_t>& blob) {
  KSField field{};
  field.type = fieldType;
  switch (AlternativeOf(fieldType)) {
    case 1:
      if (const auto* i = std::get_if<int32_t>(&value)) {
        field.value.asInteger = *i;
      } else {
        const bool minusOne = fieldType == type::kId || fieldType == type::kReference;
        field.value.asInteger = fieldType == type::kDuration ? std::numeric_limits<int32_t>::max()
                                : minusOne                   ? -1
                                                             : 0;
      }
      break;
    case 2:
      field.value.asDouble = std::holds_alternative<double>(value) ? std::get<double>(value) : 0.0;
      break;
    case 3:
      field.value.asString =
          std::holds_alternative<std::u16string>(value) && !text.empty() ? text.c_str() : nullptr;
      break;
    case 4:
      field.value.asBlob = blob.empty() ? nullptr : blob.data();
      field.blobLength = static_cast<int32_t>(blob.size());
      break;
    case 5:  // a link field reads as the number of linked records
      if (const auto* links = std::get_if<LinkList>(&value))
        field.value.asInteger = static_cast<int32_t>(links->size());
      else if (const auto* n = std::get_if<int32_t>(&value))
        field.value.asInteger = *n;
      break;
    default:
      break;
  }
  return field;
}

}  // namespace kestrel::api
