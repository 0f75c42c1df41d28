// Feeds arbitrary bytes to the dump reader: as they are, sealed with a matching checksum, and
// sealed as the body after a valid header, so that the structure checks behind the checksum
// and the header are explored. The reader must answer a dump or throw DumpCorrupt /
// DumpSchemaMismatch, never crash, read out of bounds or allocate without bound.
#include <openssl/sha.h>

#include <cstddef>
#include <cstdint>

#include "kestrel/engine/Dump.h"
#include "kestrel/engine/SchemaReader.h"

namespace {

std::string Sealed(std::string bytes) {
  const size_t n = bytes.size();
  bytes.resize(n + SHA256_DIGEST_LENGTH);
  SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), n,
         reinterpret_cast<unsigned char*>(bytes.data() + n));
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const kestrel::SchemaPtr schema = kestrel::ParseSchema(
      R"({"name":"F","version":"1","classes":[{"name":"A","fields":[
          {"name":"s","type":9},{"name":"r","type":11,"references":"A"},{"name":"f","type":5},
          {"name":"b","type":16}]}]})",
      "fuzz.json");
  // Magic, format version 1, schema "F" version "1".
  static const std::string header(
      "KESTRDMP\x01\0\0\0\x01\0\0\0F\x01\0\0\0"
      "1",
      21);
  const std::string raw(reinterpret_cast<const char*>(data), size);
  for (const std::string& bytes : {raw, Sealed(raw), Sealed(header + raw)}) {
    try {
      kestrel::DecodeDump(bytes, *schema);
    } catch (const kestrel::DumpCorrupt&) {
    } catch (const kestrel::DumpSchemaMismatch&) {
    }
    try {
      kestrel::ReadDumpInfo(bytes);
    } catch (const kestrel::DumpCorrupt&) {
    }
  }
  return 0;
}
