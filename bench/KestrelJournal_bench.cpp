// The cost of the write-ahead journal: committing a change of one record through the C
// functions with the journal on, against appending the bytes that commit added to the journal
// to a plain file with write + fsync. Both are timed in every iteration, one after the other,
// so that the disk's mood weighs on both alike. Counters: "commit_us" and "write_fsync_us" (mean
// per iteration), "entry_bytes" (journal bytes per commit) and "ratio" (commit / write+fsync).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>

#include "bench/KestrelBenchHome.h"
#include "kestrel/include/KestrelAPI.h"

namespace {

constexpr int kRecords = 1000;

struct Setup {
  std::string home;
  KSHandle session = 0;
};

// A session on a database of kRecords items with its journal on, in a temporary $KESTREL_HOME.
const Setup& Journaled() {
  static const Setup setup = [] {
    Setup s;
    s.home = kestrel::bench::MakeBenchHome("Bench", R"({"name": "Bench", "version": "1",
        "classes": [{"name": "Item", "fields": [{"name": "name", "type": 9, "required": true},
          {"name": "number", "type": 3}]}]})");
    std::string text = "KESTREL-TEXT 1\nSCHEMA\tBench\t1\nNEXT\t" + std::to_string(kRecords + 1) + "\n";
    for (int i = 1; i <= kRecords; ++i)
      text += "R\t" + std::to_string(i) + "\tItem\tname=item " + std::to_string(i) +
              "\tnumber=" + std::to_string(i) + "\n";
    std::ofstream(s.home + "/items.txt") << text + "END\n";
    KSUseWideStrings(1);
    const KSHandle server = KSConnectServer(u"localhost", u"Bench");
    const KSHandle meta = KSSearchMeta(server, u"Bench", u"1");
    const std::string items = s.home + "/items.txt", journal = s.home + "/db.jnl";
    KSCreateDBFromAsciiFile(server, meta, u"Db", std::u16string(items.begin(), items.end()).c_str());
    KSEnableJournal(server, u"Db", std::u16string(journal.begin(), journal.end()).c_str());
    s.session = KSCreateSession(server, u"system", u"", u"Db", meta, nullptr);
    return s;
  }();
  return setup;
}

off_t SizeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_JournaledCommitOfOneRecord(benchmark::State& state) {
  const Setup& setup = Journaled();
  if (setup.session == 0) return state.SkipWithError("no session");
  const std::string journal = setup.home + "/db.jnl";
  const int plain = ::open((setup.home + "/plain.bin").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  const KSHandle root = KSGetRootTrn(setup.session);
  KSField field{};
  field.type = KS_TYPE_INTEGER;
  field.name = u"number";
  double commit = 0, bare = 0, bytes = 0;
  int32_t value = 0;
  for (auto _ : state) {
    const KSHandle t = KSStartTransaction(root, 0x800, u"one");
    const KSHandle object = KSGetObject(t, 1 + value % kRecords);
    field.value.asInteger = ++value;
    KSSetValues(object, &field, 1);
    KSReleaseObject(object);
    const off_t before = SizeOf(journal);
    auto start = std::chrono::steady_clock::now();
    if (KSCommit(t, 0, 0, nullptr, 0) != KS_OK) return state.SkipWithError("commit failed");
    commit += Since(start);
    KSReleaseTransaction(t);
    const std::string entry(static_cast<size_t>(SizeOf(journal) - before), 'x');
    bytes += static_cast<double>(entry.size());
    start = std::chrono::steady_clock::now();
    if (::write(plain, entry.data(), entry.size()) != static_cast<ssize_t>(entry.size()) ||
        ::fsync(plain) != 0)
      return state.SkipWithError("write failed");
    bare += Since(start);
  }
  ::close(plain);
  const auto n = static_cast<double>(state.iterations());
  state.counters["commit_us"] = commit * 1e6 / n;
  state.counters["write_fsync_us"] = bare * 1e6 / n;
  state.counters["entry_bytes"] = bytes / n;
  state.counters["ratio"] = commit / bare;
}

BENCHMARK(BM_JournaledCommitOfOneRecord)->Unit(benchmark::kMicrosecond)->Iterations(500);

}  // namespace
