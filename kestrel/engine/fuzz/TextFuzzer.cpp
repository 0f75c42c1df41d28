// Feeds arbitrary text to the text-format import. It must answer a store or throw
// AsciiFormatError; a text it accepts must write back to a text that reads to the same
// writing, and that store must survive the binary dump unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "kestrel/engine/AsciiFormat.h"
#include "kestrel/engine/Dump.h"
#include "kestrel/engine/fuzz/FuzzSchema.h"

namespace {

void CheckText(const kestrel::Schema& schema, const std::string& text) {
  kestrel::Store store;
  try {
    store = kestrel::ReadAscii(text, schema);
  } catch (const kestrel::AsciiFormatError&) {
    return;
  }
  const std::string once = kestrel::WriteAscii(schema, store);
  if (kestrel::WriteAscii(schema, kestrel::ReadAscii(once, schema)) != once) std::abort();
  const kestrel::Store decoded = kestrel::DecodeDump(kestrel::EncodeDump(schema, store), schema);
  if (kestrel::WriteAscii(schema, decoded) != once) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (const kestrel::SchemaPtr& schema : kestrel::fuzz::FuzzSchemas()) CheckText(*schema, text);
  return 0;
}
