// Feeds arbitrary bytes to the dump reader: as they are, sealed with a matching checksum, and
// sealed as the body after a valid header, so that the structure checks behind the checksum
// and the header are explored. The reader must answer a dump or throw DumpCorrupt /
// DumpSchemaMismatch, never crash, read out of bounds or allocate without bound; a dump it
// accepts must encode again to bytes that decode to the same encoding.
#include <openssl/sha.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "kestrel/engine/Dump.h"
#include "kestrel/engine/fuzz/FuzzSchema.h"

namespace {

std::string Sealed(std::string bytes) {
  const size_t n = bytes.size();
  bytes.resize(n + SHA256_DIGEST_LENGTH);
  SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), n,
         reinterpret_cast<unsigned char*>(bytes.data() + n));
  return bytes;
}

void CheckRoundTrip(const kestrel::Schema& schema, const kestrel::Store& store) {
  const std::string once = kestrel::EncodeDump(schema, store);
  const std::string twice = kestrel::EncodeDump(schema, kestrel::DecodeDump(once, schema));
  if (once != twice) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Magic, format version 2, schema "F" version "1": the first of the fuzz schemas.
  static const std::string header(
      "KESTRDMP\x02\0\0\0\x01\0\0\0F\x01\0\0\0"
      "1",
      21);
  const std::string raw(reinterpret_cast<const char*>(data), size);
  for (const std::string& bytes : {raw, Sealed(raw), Sealed(header + raw)}) {
    for (const kestrel::SchemaPtr& schema : kestrel::fuzz::FuzzSchemas()) {
      try {
        CheckRoundTrip(*schema, kestrel::DecodeDump(bytes, *schema));
      } catch (const kestrel::DumpCorrupt&) {
      } catch (const kestrel::DumpSchemaMismatch&) {
      }
    }
    try {
      kestrel::ReadDumpInfo(bytes);
    } catch (const kestrel::DumpCorrupt&) {
    }
  }
  return 0;
}
