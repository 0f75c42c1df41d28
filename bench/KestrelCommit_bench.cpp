// Committing 10,000 changed records through the C functions: from a transaction under the
// root into the database, and from a nested transaction into its parent. Only KSCommit is
// timed; the "per_record_us" counter is its time divided by the records.
#include <benchmark/benchmark.h>
#include <chrono>
#include <fstream>
#include <string>

#include "bench/KestrelBenchHome.h"
#include "kestrel/include/KestrelAPI.h"

namespace {

constexpr int kRecords = 10000;

// A session on a database of kRecords items (a unique name, a number, a reference) in a
// temporary $KESTREL_HOME.
KSHandle Session() {
  static const KSHandle session = [] {
    const std::string home = kestrel::bench::MakeBenchHome("Bench", R"({"name": "Bench", "version": "1",
        "classes": [{"name": "Item", "fields": [{"name": "name", "type": 9, "required": true},
          {"name": "number", "type": 3}, {"name": "ownerP", "type": 11, "references": "Item"}]}],
        "globalIndexes": [{"name": "byName", "class": "Item", "fields": ["name"], "unique": true}]})");
    std::string text = "KESTREL-TEXT 1\nSCHEMA\tBench\t1\nNEXT\t" + std::to_string(kRecords + 1) + "\n";
    for (int i = 1; i <= kRecords; ++i)
      text += "R\t" + std::to_string(i) + "\tItem\tname=item " + std::to_string(i) +
              "\tnumber=" + std::to_string(i) + "\townerP=1\n";
    std::ofstream(home + "/items.txt") << text + "END\n";
    KSUseWideStrings(1);
    const KSHandle server = KSConnectServer(u"localhost", u"Bench");
    const KSHandle meta = KSSearchMeta(server, u"Bench", u"1");
    const std::string file = home + "/items.txt";
    KSCreateDBFromAsciiFile(server, meta, u"Db", std::u16string(file.begin(), file.end()).c_str());
    return KSCreateSession(server, u"system", u"", u"Db", meta, nullptr);
  }();
  return session;
}

// Changes the number of every item in `t` to `value`.
void ChangeAll(KSHandle t, int32_t value) {
  KSField field{};
  field.type = KS_TYPE_INTEGER;
  field.value.asInteger = value;
  field.name = u"number";
  for (int id = 1; id <= kRecords; ++id) {
    const KSHandle object = KSGetObject(t, id);
    KSSetValues(object, &field, 1);
    KSReleaseObject(object);
  }
}

void Commit(benchmark::State& state, bool nested) {
  const KSHandle root = KSGetRootTrn(Session());
  double seconds = 0;
  int32_t value = 1;
  for (auto _ : state) {
    const KSHandle outer = KSStartTransaction(root, 0x800, u"outer");
    const KSHandle t = nested ? KSStartTransaction(outer, 0x800, u"inner") : outer;
    ChangeAll(t, ++value);
    const auto start = std::chrono::steady_clock::now();
    if (KSCommit(t, 0, 0, nullptr, 0) != KS_OK) state.SkipWithError("commit failed");
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    KSReleaseTransaction(outer);
  }
  state.counters["per_record_us"] =
      seconds * 1e6 / (static_cast<double>(state.iterations()) * kRecords);
}

void BM_CommitUnderRoot(benchmark::State& state) { Commit(state, false); }
void BM_CommitNested(benchmark::State& state) { Commit(state, true); }

BENCHMARK(BM_CommitUnderRoot)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CommitNested)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
