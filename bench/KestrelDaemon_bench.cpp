// The Database API through kestreld on its Unix socket, each timed against the same work in
// this process in the same run (counter "ratio": through the daemon divided by in-process):
// - a cheap call's round trip (KSGetClassID), also in microseconds per call;
// - a forward scan of 100,000 records reading 4 fields with a fetch buffer of 1,000 rows.
// The in-process server lives in one temporary home, the daemon's in another.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/KestrelBenchHome.h"
#include "kestrel/include/KestrelAPI.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRecords = 100000;
constexpr int kFetchBuffer = 1000;
constexpr const char* kSchema = R"({"name": "Bench", "version": "1",
    "classes": [{"name": "Item", "fields": [{"name": "name", "type": 9},
      {"name": "number", "type": 3}, {"name": "weight", "type": 5}, {"name": "code", "type": 9}]}]})";
const char16_t* kFields[] = {u"name", u"number", u"weight", u"code"};

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// kestreld serving a home until the benchmarks end.
struct Daemon {
  explicit Daemon(const std::string& home) {
    pid = ::fork();
    if (pid == 0) {
      ::execl(KR_KESTRELD, KR_KESTRELD, "--home", home.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    const std::string socket = home + "/kestreld.sock";
    for (int i = 0; i < 500 && !std::filesystem::exists(socket); ++i) ::usleep(20000);
  }
  ~Daemon() {
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
  }
  pid_t pid = 0;
};

// A session on a database of kRecords items in the server of `home`.
KSHandle LoadItems(const std::string& home) {
  ::setenv("KESTREL_HOME", home.c_str(), 1);
  const std::string file = home + "/items.txt";
  {
    std::ofstream out(file);
    out << "KESTREL-TEXT 1\nSCHEMA\tBench\t1\nNEXT\t" << kRecords + 1 << "\n";
    char weight[64];
    for (int i = 1; i <= kRecords; ++i) {
      std::snprintf(weight, sizeof weight, "%a", i * 0.5);
      out << "R\t" << i << "\tItem\tname=n" << (i * 2654435761u) % 100000000u << "\tnumber=" << i
          << "\tweight=" << weight << "\tcode=c" << i % 977 << "\n";
    }
    out << "END\n";
  }
  const KSHandle server = KSConnectServer(u"localhost", u"Bench");
  const KSHandle meta = KSSearchMeta(server, u"Bench", u"1");
  KSCreateDBFromAsciiFile(server, meta, u"Items", std::u16string(file.begin(), file.end()).c_str());
  return KSCreateSession(server, u"system", u"", u"Items", meta, nullptr);
}

struct Sessions {
  KSHandle local = 0;
  KSHandle remote = 0;
};

const Sessions& Data() {
  static const kestrel::bench::TBenchHome localHome("Bench", kSchema), daemonHome("Bench", kSchema);
  static Sessions sessions = [] {
    KSUseWideStrings(1);
    Sessions r;
    r.local = LoadItems(localHome.Path());
    static Daemon daemon(daemonHome.Path());
    r.remote = LoadItems(daemonHome.Path());
    return r;
  }();
  return sessions;
}

void BM_ClassIdRoundTrip(benchmark::State& state) {
  const Sessions& sessions = Data();
  constexpr int kCalls = 10000;
  double local = 0, remote = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    for (int i = 0; i < kCalls; ++i) benchmark::DoNotOptimize(KSGetClassID(sessions.local, u"Item"));
    local += Seconds(start);
    start = Clock::now();
    for (int i = 0; i < kCalls; ++i)
      if (KSGetClassID(sessions.remote, u"Item") < 0) state.SkipWithError("the daemon did not answer");
    remote += Seconds(start);
  }
  const double calls = static_cast<double>(state.iterations()) * kCalls;
  state.counters["in_process_us"] = local * 1e6 / calls;
  state.counters["daemon_us"] = remote * 1e6 / calls;
  state.counters["ratio"] = remote / local;
}

// Scans every item in the session's root transaction and answers the rows read.
int Scan(KSHandle session, int64_t& checksum) {
  const KSHandle cursor = KSCreateCursor(KSGetRootTrn(session), u"Item", kFields, 4, u"", 0);
  KSSetFetchBuffer(cursor, kFetchBuffer);
  KSField values[4];
  int rows = 0;
  while (KSGetNextRecord(cursor, values) == KS_OK) {
    checksum += values[1].value.asInteger + values[0].value.asString[0] + values[3].value.asString[0];
    ++rows;
  }
  KSReleaseCursor(cursor);
  return rows;
}

void BM_ForwardScan(benchmark::State& state) {
  const Sessions& sessions = Data();
  double local = 0, remote = 0;
  int64_t checksum = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    if (Scan(sessions.local, checksum) != kRecords) state.SkipWithError("the in-process scan missed rows");
    local += Seconds(start);
    start = Clock::now();
    if (Scan(sessions.remote, checksum) != kRecords) state.SkipWithError("the daemon's scan missed rows");
    remote += Seconds(start);
  }
  benchmark::DoNotOptimize(checksum);
  state.counters["in_process_ms"] = local * 1e3 / static_cast<double>(state.iterations());
  state.counters["daemon_ms"] = remote * 1e3 / static_cast<double>(state.iterations());
  state.counters["ratio"] = remote / local;
}

}  // namespace

BENCHMARK(BM_ClassIdRoundTrip)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ForwardScan)->Unit(benchmark::kMillisecond);
