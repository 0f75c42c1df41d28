// Feeds arbitrary bytes to the reader of a filter's "Nodes" property, as a table that is not
// being loaded would read them (field names are checked against the table). A stream that
// cannot be read raises one of the platform's exceptions (EReadError for the stream itself, the
// table's error for a field it lacks) and leaves the filter as it was; a tree that was read
// writes a stream that reads into an equal tree and writes the same bytes again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "dataset/KRDataSet_CMP_FilterStream.h"
#include "dataset/KRDataSet_CMP_TestSupport_test.h"

namespace {

std::vector<uint8_t> NodesOf(const TKRFilter& filter) {
  TMemoryStream stream;
  TWriter writer(stream);
  WriteFilterNodes(writer, filter);
  return stream.Bytes();
}

void ReadNodes(std::vector<uint8_t> bytes, TKRFilter& filter) {
  TMemoryStream stream(std::move(bytes));
  TReader reader(stream);
  ReadFilterNodes(reader, filter);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kr_dataset_test::TTestTable table;
  table.AddSalesFields();
  TKRFieldFilterNode& kept = table.Filter().Add(krloAnd);
  kept.SetFieldName("rating");
  kept.SetFieldValue(2);
  const std::vector<uint8_t> before = NodesOf(table.Filter());
  try {
    ReadNodes(std::vector<uint8_t>(data, data + size), table.Filter());
  } catch (const Exception&) {
    if (NodesOf(table.Filter()) != before) std::abort();
    return 0;
  }
  const std::vector<uint8_t> once = NodesOf(table.Filter());
  kr_dataset_test::TTestTable again;
  again.AddSalesFields();
  ReadNodes(once, again.Filter());
  if (!again.Filter().Equals(table.Filter()) || NodesOf(again.Filter()) != once) std::abort();
  return 0;
}
