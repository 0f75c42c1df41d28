// Feeds arbitrary bytes to the component reader as the stream of a table with a filter and
// field lists. Reading answers the table or raises one of the platform's exceptions (nothing
// else escapes); a table that was read writes a stream that reads into an equal table and
// writes the same bytes again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "dataset/KRDataSet_CMP_TestSupport_test.h"

using kr_dataset_test::TTestTable;

namespace {

// A table with the demo's sales fields, of every kind a filter node keeps.
struct SalesTable : TTestTable {
  SalesTable() { AddSalesFields(); }
};

bool SameContent(SalesTable& a, SalesTable& b) {
  return a.Name() == b.Name() && a.Filter().Equals(b.Filter()) &&
         a.DistinctFields().Equals(b.DistinctFields()) && a.SortFields().Equals(b.SortFields());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SalesTable table;
  try {
    kr_dataset_test::ReadTable(std::vector<uint8_t>(data, data + size), table);
  } catch (const Exception&) {
    return 0;
  }
  const std::vector<uint8_t> once = kr_dataset_test::WriteTable(table);
  SalesTable again;
  kr_dataset_test::ReadTable(once, again);
  if (!SameContent(again, table) || kr_dataset_test::WriteTable(again) != once) std::abort();
  return 0;
}
