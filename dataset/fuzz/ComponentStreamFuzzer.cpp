// Feeds arbitrary bytes to the component reader as the stream of a table with a filter and
// field lists. Reading answers the table or raises one of the platform's exceptions (nothing
// else escapes); a table that was read writes a stream that reads into an equal table and
// writes the same bytes again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "dataset/fuzz/FuzzTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TFuzzTable table;
  try {
    table.Read(std::vector<uint8_t>(data, data + size));
  } catch (const Exception&) {
    return 0;
  }
  const std::vector<uint8_t> once = table.Written();
  TFuzzTable again;
  again.Read(once);
  if (!again.SameContent(table) || again.Written() != once) std::abort();
  return 0;
}
