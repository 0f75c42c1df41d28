// KSGetFields and KSGetClassID latency through the C functions on a schema of 500 classes
// (chains of ten classes, each adding four fields).
#include <benchmark/benchmark.h>
#include <string>

#include "bench/KestrelBenchHome.h"
#include "kestrel/include/KestrelAPI.h"

namespace {

constexpr int kClasses = 500;

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// A session on a database of the 500-class schema in a temporary $KESTREL_HOME.
KSHandle Session() {
  static const KSHandle session = [] {
    std::string classes;
    for (int i = 0; i < kClasses; ++i) {
      const std::string base = i % 10 == 0 ? "" : "C" + std::to_string(i - 1);
      std::string fields;
      for (int f = 0; f < 4; ++f)
        fields += std::string(f ? "," : "") + R"({"name": "f)" + std::to_string(i) + "_" +
                  std::to_string(f) + R"(", "type": )" + std::to_string(3 + f * 2) + "}";
      classes += std::string(i ? "," : "") + R"({"name": "C)" + std::to_string(i) +
                 R"(", "base": ")" + base + R"(", "fields": [)" + fields + "]}";
    }
    kestrel::bench::MakeBenchHome(
        "Bench", R"({"name": "Bench", "version": "1", "classes": [)" + classes + "]}");
    KSUseWideStrings(1);
    const KSHandle server = KSConnectServer(u"localhost", u"Bench");
    const KSHandle meta = KSSearchMeta(server, u"Bench", u"1");
    KSCreateEmptyDB(server, meta, u"Db", u"ENU");
    return KSCreateSession(server, u"system", u"", u"Db", meta, nullptr);
  }();
  return session;
}

void BM_GetFields(benchmark::State& state) {
  const KSHandle session = Session();
  const std::u16string name = Wide("C" + std::to_string(state.range(0)));
  int32_t count = 0;
  for (auto _ : state) benchmark::DoNotOptimize(KSGetFields(session, name.c_str(), 1, &count));
  if (count != 4 * (state.range(0) % 10 + 1)) state.SkipWithError("unexpected field count");
}

void BM_GetClassID(benchmark::State& state) {
  const KSHandle session = Session();
  const std::u16string name = Wide("C" + std::to_string(state.range(0)));
  KSClassID id = -1;
  for (auto _ : state) benchmark::DoNotOptimize(id = KSGetClassID(session, name.c_str()));
  if (id < 0) state.SkipWithError("class not found");
}

BENCHMARK(BM_GetFields)->Arg(0)->Arg(249)->Arg(499);
BENCHMARK(BM_GetClassID)->Arg(0)->Arg(249)->Arg(499);

}  // namespace
