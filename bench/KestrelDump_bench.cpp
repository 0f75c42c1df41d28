// Saving and loading a database of 1,000,000 records, each compared with writing and reading
// the same number of bytes with plain file I/O in the same run ("vs_plain_io" counter: the
// dump's time divided by the plain time).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "kestrel/engine/Database.h"
#include "kestrel/engine/FileIO.h"
#include "kestrel/engine/SchemaReader.h"
#include "kestrel/engine/Server.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRecords = 1000000;

// A temporary directory removed at exit.
struct TempDir {
  TempDir() {
    char pattern[] = "/tmp/kestrel-bench-XXXXXX";
    path = ::mkdtemp(pattern);
  }
  ~TempDir() { std::filesystem::remove_all(path); }
  std::string path;
};

const std::string& Directory() {
  static const TempDir dir;
  return dir.path;
}

kestrel::DatabasePtr BigDatabase() {
  static const kestrel::SchemaPtr schema = kestrel::ParseSchema(
      R"({"name": "Bench", "version": "1", "classes": [{"name": "Item", "fields": [
          {"name": "number", "type": 3}, {"name": "price", "type": 15},
          {"name": "label", "type": 9}, {"name": "ownerP", "type": 11, "references": "Item"}]}]})",
      "bench.json");
  auto db = std::make_shared<kestrel::Database>("Big", schema, Directory() + "/Big.dmp");
  const kestrel::ClassDef& item = *schema->FindClass("Item");
  for (int i = 0; i < kRecords; ++i)
    db->Data().Insert(kestrel::Record{
        item.id, {int32_t{i}, i * 0.5, std::u16string(u"item label"), int32_t{i > 0 ? i : 1}}});
  return db;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void WritePlain(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fflush(f);
  ::fsync(::fileno(f));
  std::fclose(f);
}

void BM_SaveDatabase(benchmark::State& state) {
  const kestrel::DatabasePtr db = BigDatabase();
  double dump = 0, plain = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    if (!db->Save()) state.SkipWithError("save failed");
    dump += Seconds(Clock::now() - start);
    std::string bytes;
    kestrel::ReadWholeFile(db->ArchivePath(), bytes);
    start = Clock::now();
    WritePlain(Directory() + "/plain.bin", bytes);
    plain += Seconds(Clock::now() - start);
    state.counters["bytes"] = static_cast<double>(bytes.size());
  }
  state.counters["vs_plain_io"] = dump / plain;
}

void BM_LoadDatabase(benchmark::State& state) {
  const kestrel::DatabasePtr db = BigDatabase();
  db->Save();
  double dump = 0, plain = 0;
  for (auto _ : state) {
    kestrel::Database loaded("Loaded", db->SchemaRef(), db->ArchivePath());
    auto start = Clock::now();
    if (kestrel::LoadDumpInto(db->ArchivePath(), loaded) != KS_OK) state.SkipWithError("load failed");
    dump += Seconds(Clock::now() - start);
    if (loaded.Committed().records.size() != static_cast<size_t>(kRecords))
      state.SkipWithError("records lost");
    start = Clock::now();
    std::string bytes;
    kestrel::ReadWholeFile(db->ArchivePath(), bytes);
    benchmark::DoNotOptimize(bytes.data());
    plain += Seconds(Clock::now() - start);
  }
  state.counters["vs_plain_io"] = dump / plain;
}

BENCHMARK(BM_SaveDatabase)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadDatabase)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
