// Feeds arbitrary text to the schema reader: it must answer a schema or throw SchemaError. A
// schema it accepts is consistent: class IDs follow positions, every base precedes its
// subclasses and every class lists its base's fields first, in the base's order.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "kestrel/engine/SchemaReader.h"

namespace {

void CheckClasses(const kestrel::Schema& schema) {
  for (size_t i = 0; i < schema.classes.size(); ++i) {
    const kestrel::ClassDef& cls = schema.classes[i];
    if (cls.id != static_cast<kestrel::ClassID>(i + 1) || schema.FindClass(cls.name) != &cls)
      std::abort();
    if (cls.base.empty()) {
      if (cls.allFields.size() != cls.ownFields.size()) std::abort();
      continue;
    }
    const kestrel::ClassDef* base = schema.FindClass(cls.base);
    if (base == nullptr || base->id >= cls.id) std::abort();
    if (cls.allFields.size() != base->allFields.size() + cls.ownFields.size()) std::abort();
    for (size_t f = 0; f < base->allFields.size(); ++f)
      if (cls.allFields[f].name != base->allFields[f].name) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    CheckClasses(*kestrel::ParseSchema(
        std::string(reinterpret_cast<const char*>(data), size), "fuzz.json"));
  } catch (const kestrel::SchemaError&) {
  }
  return 0;
}
