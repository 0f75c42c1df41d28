// Feeds arbitrary bytes to the dump reader: it must answer a dump or throw DumpCorrupt /
// DumpSchemaMismatch, never crash or read out of bounds.
#include <cstddef>
#include <cstdint>

#include "kestrel/engine/Dump.h"
#include "kestrel/engine/SchemaReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const kestrel::SchemaPtr schema = kestrel::ParseSchema(
      R"({"name":"F","version":"1","classes":[{"name":"A","fields":[
          {"name":"s","type":9},{"name":"r","type":11,"references":"A"},{"name":"f","type":5},
          {"name":"b","type":16}]}]})",
      "fuzz.json");
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  try {
    kestrel::DecodeDump(bytes, *schema);
  } catch (const kestrel::DumpCorrupt&) {
  } catch (const kestrel::DumpSchemaMismatch&) {
  }
  try {
    kestrel::ReadDumpInfo(bytes);
  } catch (const kestrel::DumpCorrupt&) {
  }
  return 0;
}
