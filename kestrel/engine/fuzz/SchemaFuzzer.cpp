// Feeds arbitrary text to the schema reader: it must answer a schema or throw SchemaError.
#include <cstddef>
#include <cstdint>

#include "kestrel/engine/SchemaReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    kestrel::ParseSchema(std::string(reinterpret_cast<const char*>(data), size), "fuzz.json");
  } catch (const kestrel::SchemaError&) {
  }
  return 0;
}
