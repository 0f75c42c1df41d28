// Cursors over 1,000,000 records through the C functions, each timed against the same work on
// plain data in the same run (counter "ratio": the cursor's time divided by the plain time):
// - a forward scan with KSGetNextRecord reading 4 fields, against iterating a std::vector of
//   structs with the same values (fetch buffers of 1 and 1000 rows);
// - creating a cursor sorted on a text field, against std::sort of the same texts;
// - KSGotoFirstMatch with a regular expression that only the last record matches, against the
//   same ICU matcher run over the same texts in a loop;
// - opening a cursor on a class of 1,000 records in a database that holds 1,000,000 records of
//   another class, and in one that holds the 1,000 alone ("big_db_us" and "small_db_us"; the
//   first open in the big database also builds the class index: "first_open_ms").
#include <benchmark/benchmark.h>
#include <unicode/regex.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench/KestrelBenchHome.h"
#include "kestrel/include/KestrelAPI.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRecords = 1000000;
constexpr int kSmall = 1000;
constexpr const char16_t* kNeedle = u"zzz";

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The texts of the records: scattered so that sorting has work to do; only the last one holds
// the needle.
std::string NameOf(int i) {
  return i == kRecords ? "zzz last" : "n" + std::to_string((i * 2654435761u) % 100000000u);
}

struct Row {
  std::u16string name;
  int32_t number;
  double weight;
  std::u16string code;
};

const std::vector<Row>& PlainRows() {
  static const std::vector<Row> rows = [] {
    std::vector<Row> r;
    r.reserve(kRecords);
    for (int i = 1; i <= kRecords; ++i) {
      const std::string name = NameOf(i);
      const std::string code = "c" + std::to_string(i % 977);
      r.push_back(Row{std::u16string(name.begin(), name.end()), i, i * 0.5,
                      std::u16string(code.begin(), code.end())});
    }
    return r;
  }();
  return rows;
}

// A session's root on the server "Bench" of a temporary home, with the databases "Big"
// (kRecords items and kSmall smalls) and "Small" (kSmall smalls).
struct Databases {
  KSHandle server = 0;
  KSHandle big = 0;
  KSHandle small = 0;
};

KSHandle LoadDatabase(const std::string& home, KSHandle server, KSHandle meta, const char16_t* name,
                      int items) {
  const std::string file = home + "/" + std::string(name, name + std::char_traits<char16_t>::length(name)) + ".txt";
  {
    std::ofstream out(file);
    out << "KESTREL-TEXT 1\nSCHEMA\tBench\t1\nNEXT\t" << items + kSmall + 1 << "\n";
    char weight[64];
    for (int i = 1; i <= items; ++i) {
      std::snprintf(weight, sizeof weight, "%a", i * 0.5);
      out << "R\t" << i << "\tItem\tname=" << NameOf(i) << "\tnumber=" << i << "\tweight=" << weight
          << "\tcode=c" << i % 977 << "\n";
    }
    for (int i = 1; i <= kSmall; ++i) out << "R\t" << items + i << "\tSmall\tn=" << i << "\n";
    out << "END\n";
  }
  KSCreateDBFromAsciiFile(server, meta, name, std::u16string(file.begin(), file.end()).c_str());
  return KSGetRootTrn(KSCreateSession(server, u"system", u"", name, meta, nullptr));
}

const Databases& Data() {
  static const Databases data = [] {
    const std::string home = kestrel::bench::MakeBenchHome("Bench", R"({"name": "Bench", "version": "1",
        "classes": [{"name": "Item", "fields": [{"name": "name", "type": 9},
          {"name": "number", "type": 3}, {"name": "weight", "type": 5}, {"name": "code", "type": 9}]},
          {"name": "Small", "fields": [{"name": "n", "type": 3}]}]})");
    KSUseWideStrings(1);
    Databases d;
    d.server = KSConnectServer(u"localhost", u"Bench");
    const KSHandle meta = KSSearchMeta(d.server, u"Bench", u"1");
    d.big = LoadDatabase(home, d.server, meta, u"Big", kRecords);
    d.small = LoadDatabase(home, d.server, meta, u"Small", 0);
    return d;
  }();
  return data;
}

const char16_t* kFields[] = {u"name", u"number", u"weight", u"code"};

void BM_ForwardScan(benchmark::State& state) {
  const KSHandle root = Data().big;
  const std::vector<Row>& plain = PlainRows();
  double api = 0, baseline = 0;
  int64_t checksum = 0;
  for (auto _ : state) {
    const KSHandle cursor = KSCreateCursor(root, u"Item", kFields, 4, u"", 0);
    KSSetFetchBuffer(cursor, static_cast<int32_t>(state.range(0)));
    KSField values[4];
    auto start = Clock::now();
    int rows = 0;
    while (KSGetNextRecord(cursor, values) == KS_OK) {
      checksum += values[1].value.asInteger + values[0].value.asString[0] + values[3].value.asString[0];
      ++rows;
    }
    api += Seconds(start);
    if (rows != kRecords) state.SkipWithError("the scan missed rows");
    KSReleaseCursor(cursor);
    start = Clock::now();
    for (const Row& row : plain) {
      values[0].value.asString = row.name.c_str();
      values[1].value.asInteger = row.number;
      values[2].value.asDouble = row.weight;
      values[3].value.asString = row.code.c_str();
      benchmark::DoNotOptimize(values);
      checksum -= values[1].value.asInteger + values[0].value.asString[0] + values[3].value.asString[0];
    }
    baseline += Seconds(start);
  }
  benchmark::DoNotOptimize(checksum);
  state.counters["cursor_ms"] = api * 1e3 / static_cast<double>(state.iterations());
  state.counters["vector_ms"] = baseline * 1e3 / static_cast<double>(state.iterations());
  state.counters["ratio"] = api / baseline;
}

void BM_SortedCursor(benchmark::State& state) {
  const KSHandle root = Data().big;
  double api = 0, baseline = 0;
  for (auto _ : state) {
    const KSHandle sort = KSGetNewSortHandle();
    KSAddSortField(sort, u"name", 0);
    auto start = Clock::now();
    const KSHandle cursor = KSCreateCursor(root, u"Item", kFields, 1, u"", sort);
    api += Seconds(start);
    if (KSGetCount(cursor) != kRecords) state.SkipWithError("the cursor missed rows");
    KSReleaseCursor(cursor);
    KSReleaseSortHandle(sort);
    std::vector<std::u16string> texts;
    texts.reserve(kRecords);
    for (const Row& row : PlainRows()) texts.push_back(row.name);
    start = Clock::now();
    std::sort(texts.begin(), texts.end());
    baseline += Seconds(start);
  }
  state.counters["cursor_ms"] = api * 1e3 / static_cast<double>(state.iterations());
  state.counters["std_sort_ms"] = baseline * 1e3 / static_cast<double>(state.iterations());
  state.counters["ratio"] = api / baseline;
}

void BM_RegexFirstMatch(benchmark::State& state) {
  const KSHandle root = Data().big;
  KSField pattern{};
  pattern.type = KS_TYPE_STRING;
  pattern.value.asString = kNeedle;
  const KSHandle condition = KSMakeNewCondition(u"name", 2, &pattern, 1);
  const KSHandle cursor = KSCreateCursor(root, u"Item", kFields, 1, u"", 0);
  UErrorCode status = U_ZERO_ERROR;
  icu::RegexMatcher matcher(icu::UnicodeString(kNeedle), 0, status);
  const std::vector<Row>& plain = PlainRows();
  double api = 0, baseline = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    if (KSGotoFirstMatch(cursor, condition) != KS_OK || KSGetCurrentRecordPos(cursor) != kRecords - 1)
      state.SkipWithError("the search missed the last record");
    api += Seconds(start);
    start = Clock::now();
    int64_t found = -1;
    for (size_t i = 0; i < plain.size() && found < 0; ++i) {
      const icu::UnicodeString text(false, plain[i].name.data(),
                                    static_cast<int32_t>(plain[i].name.size()));
      matcher.reset(text);
      if (matcher.find(0, status)) found = static_cast<int64_t>(i);
    }
    baseline += Seconds(start);
    benchmark::DoNotOptimize(found);
  }
  KSReleaseCursor(cursor);
  KSReleaseCondition(condition);
  state.counters["cursor_ms"] = api * 1e3 / static_cast<double>(state.iterations());
  state.counters["icu_loop_ms"] = baseline * 1e3 / static_cast<double>(state.iterations());
  state.counters["ratio"] = api / baseline;
}

void BM_OpenSmallClass(benchmark::State& state) {
  const Databases& d = Data();
  const char16_t* fields[] = {u"n"};
  auto open = [&](KSHandle root) {
    const auto start = Clock::now();
    const KSHandle cursor = KSCreateCursor(root, u"Small", fields, 1, u"", 0);
    const double seconds = Seconds(start);
    if (KSGetCount(cursor) != kSmall) state.SkipWithError("the cursor missed rows");
    KSReleaseCursor(cursor);
    return seconds;
  };
  const double first = open(d.big);
  open(d.small);
  double big = 0, small = 0;
  for (auto _ : state) {
    big += open(d.big);
    small += open(d.small);
  }
  state.counters["first_open_ms"] = first * 1e3;
  state.counters["big_db_us"] = big * 1e6 / static_cast<double>(state.iterations());
  state.counters["small_db_us"] = small * 1e6 / static_cast<double>(state.iterations());
  state.counters["ratio"] = big / small;
}

BENCHMARK(BM_OpenSmallClass)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_ForwardScan)->Arg(1)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SortedCursor)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RegexFirstMatch)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
