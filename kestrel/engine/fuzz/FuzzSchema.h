// The schemas that the dump and text fuzzers decode against: a small one with a field of every
// stored kind and a subclass, and the demo's schemas (with link fields and the user class) of
// the schema fuzzer's seed corpus (KR_FUZZ_SCHEMAS), so that the demo's dumps and texts in the
// seed corpora reach the value and transaction decoders.
#pragma once

#include <filesystem>
#include <vector>

#include "kestrel/engine/SchemaReader.h"

namespace kestrel::fuzz {

inline const std::vector<SchemaPtr>& FuzzSchemas() {
  static const std::vector<SchemaPtr> schemas = [] {
    std::vector<SchemaPtr> all{ParseSchema(
        R"({"name":"F","version":"1","classes":[
            {"name":"A","fields":[
              {"name":"s","type":9},{"name":"r","type":11,"references":"A"},
              {"name":"f","type":5},{"name":"b","type":16},{"name":"i","type":3},
              {"name":"o","type":2},{"name":"d","type":6},{"name":"c","type":15},
              {"name":"e","type":10},{"name":"u","type":7}]},
            {"name":"B","base":"A","fields":[{"name":"t","type":9}]}]})",
        "fuzz.json")};
    for (const auto& entry : std::filesystem::directory_iterator(KR_FUZZ_SCHEMAS)) {
      try {
        all.push_back(ReadSchemaFile(entry.path().string()));
      } catch (const SchemaError&) {
      }
    }
    return all;
  }();
  return schemas;
}

}  // namespace kestrel::fuzz
