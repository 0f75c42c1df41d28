// Storage for what one handle's calls return: each call that returns text, arrays or records
// replaces the previous results of the same handle, so pointers stay valid exactly until the
// next such call on that handle or its release.
#pragma once

#include <string>
#include <vector>

#include "kestrel/engine/Value.h"
#include "kestrel/include/KestrelAPI.h"

namespace kestrel::api {

class Results {
 public:
  const char16_t* Text(std::u16string text);
  // Null with count 0 for an empty list.
  const char16_t* const* Texts(std::vector<std::u16string> texts, int32_t* count);
  const KSHandle* Handles(std::vector<KSHandle> handles, int32_t* count);
  // Keeps `names` alive for the descriptions' pointers.
  const KSFieldDescription* Fields(std::vector<KSFieldDescription> fields,
                                   std::vector<std::u16string> names, int32_t* count);
  const KSField* Field(const Value& value, int32_t fieldType, std::u16string name);
  // Fills out[0..n) with the values, each with its type and name; texts and blobs stay here.
  struct Named {
    Value value;
    int32_t type;
    std::u16string name;
  };
  void Values(std::vector<Named> values, KSField* out);

 private:
  void Clear();

  std::vector<std::u16string> texts_;
  std::vector<const char16_t*> pointers_;
  std::vector<KSHandle> handles_;
  std::vector<KSFieldDescription> fields_;
  std::vector<uint8_t> blob_;
  std::vector<Named> named_;
  KSField field_{};
};

// Converts an engine value into an API field whose text or blob points into `text` / `blob`.
KSField ToApiField(const Value& value, int32_t fieldType, const std::u16string& text,
                   const std::vector<uint8_t>& blob);
// Reads an API field as a value of a field of `fieldType` (the field's own type, or an ID for
// a reference); false when the types do not fit or a blob length is negative. The API's null
// values become null when the engine stores the value.
bool FromApiField(const KSField& field, int32_t fieldType, Value& value);
// Reads an API field as a value to compare with (as a condition's value): the type's null value
// stays that value, as the fields it is compared with read. False for a type that holds no
// value (0, 12, 13, unknown) or a negative blob length.
bool ComparableFromApiField(const KSField& field, Value& value);

}  // namespace kestrel::api
