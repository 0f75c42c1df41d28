// The console document of a large console: 100 workstations with 100
// servers each and 50 database groups. Saving and loading are timed and set
// against copying the same bytes from one memory stream to another (the
// counter "x_copy" is how many copies of the document fit in one save or
// load); the cookie search walks the same tree.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "snapin/KRComponentData.h"

namespace {

constexpr int kWorkstations = 100;
constexpr int kServersEach = 100;
constexpr int kGroups = 50;

using Clock = std::chrono::steady_clock;

double Nanos(Clock::duration d) { return std::chrono::duration<double, std::nano>(d).count(); }

TKRFolder* AddFolder(TKRFolder& parent, const std::string& name, TKRFolderType type) {
  auto folder = std::make_unique<TKRFolder>();
  folder->Init(name, 5, 5, type, true);
  return TKRFolder::SetParent(std::move(folder), parent);
}

ComPtr<TKRComponentData> LargeConsole() {
  setenv("VAZERIR_COMPUTERNAME", "BENCH", 1);
  ComPtr<TKRComponentData> data = MakeComObject<TKRComponentData>();
  TKRFolder* root = data->GetRootFolder();
  TKRFolder& workstations = *root->SearchFolderByType(krftComputers);
  for (int w = 1; w < kWorkstations; ++w) {
    data->CreateComputerFolder("workstation-" + std::to_string(w), workstations);
  }
  for (const auto& computer : workstations.Childs()) {
    TKRFolder& servers = *computer->SearchFolderByType(krftServers);
    for (int s = 0; s < kServersEach; ++s) {
      AddFolder(servers, "ObjectServer" + std::to_string(s), krftServer)
          ->GetColumns()
          .push_back("administrator");
    }
  }
  TKRFolder& groups = *root->SearchFolderByType(krftDBGroups);
  for (int g = 0; g < kGroups; ++g) {
    AddFolder(groups, "Group " + std::to_string(g), krftDBGroup)
        ->GetColumns()
        .push_back("/nonexistent/kr-bench/group-" + std::to_string(g));
  }
  return data;
}

std::string SavedBytes(TKRComponentData& data) {
  ComPtr<IStream> stream = CreateMemoryStream();
  data.Save(stream.Get(), TRUE);
  ULARGE_INTEGER size = 0;
  stream->Seek(0, STREAM_SEEK_END, &size);
  stream->Seek(0, STREAM_SEEK_SET, nullptr);
  std::string bytes(size, '\0');
  stream->Read(bytes.data(), static_cast<ULONG>(size), nullptr);
  return bytes;
}

// Nanoseconds to copy `bytes` from a memory stream into a new one (the
// fastest of several rounds).
double CopyNanos(const std::string& bytes) {
  double best = 1e300;
  for (int round = 0; round < 50; ++round) {
    ComPtr<IStream> source = CreateMemoryStream(bytes.data(), bytes.size());
    const auto start = Clock::now();
    ComPtr<IStream> target = CreateMemoryStream();
    source->CopyTo(target.Get(), bytes.size(), nullptr, nullptr);
    best = std::min(best, Nanos(Clock::now() - start));
  }
  return best;
}

void ReportAgainstCopy(benchmark::State& state, double totalNanos, size_t bytes) {
  const double perRun = totalNanos / static_cast<double>(state.iterations());
  state.counters["x_copy"] = perRun / CopyNanos(std::string(bytes, 'x'));
  state.counters["bytes"] = static_cast<double>(bytes);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void BM_SaveLargeConsole(benchmark::State& state) {
  ComPtr<TKRComponentData> data = LargeConsole();
  const size_t bytes = SavedBytes(*data).size();
  double total = 0;
  for (auto _ : state) {
    ComPtr<IStream> stream = CreateMemoryStream();
    const auto start = Clock::now();
    const HRESULT hr = data->Save(stream.Get(), TRUE);
    total += Nanos(Clock::now() - start);
    if (hr != S_OK) state.SkipWithError("save failed");
  }
  ReportAgainstCopy(state, total, bytes);
}
BENCHMARK(BM_SaveLargeConsole)->Unit(benchmark::kMillisecond);

void BM_LoadLargeConsole(benchmark::State& state) {
  const std::string bytes = SavedBytes(*LargeConsole());
  double total = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ComPtr<TKRComponentData> data = MakeComObject<TKRComponentData>();
    data->GetRootFolder();
    ComPtr<IStream> stream = CreateMemoryStream(bytes.data(), bytes.size());
    state.ResumeTiming();
    const auto start = Clock::now();
    const HRESULT hr = data->Load(stream.Get());
    total += Nanos(Clock::now() - start);
    if (hr != S_OK) state.SkipWithError("load failed");
    state.PauseTiming();
    data.Reset();
    state.ResumeTiming();
  }
  ReportAgainstCopy(state, total, bytes.size());
}
BENCHMARK(BM_LoadLargeConsole)->Unit(benchmark::kMillisecond);

// Cookies of every folder in pre-order, after handing each to the console.
std::vector<MMC_COOKIE> HandAllToConsole(TKRFolder& folder) {
  std::vector<MMC_COOKIE> cookies;
  std::vector<TKRFolder*> pending{&folder};
  while (!pending.empty()) {
    TKRFolder* f = pending.back();
    pending.pop_back();
    if (f->FolderType() != krftRootFolder) f->PrepareScopeItem(0);
    cookies.push_back(f->Cookie());
    for (auto it = f->Childs().rbegin(); it != f->Childs().rend(); ++it)
      pending.push_back(it->get());
  }
  return cookies;
}

// Arg 0: the first folder, 1: the middle one, 2: the last one, 3: a cookie
// that is in no tree.
void BM_SearchFolderByCookie(benchmark::State& state) {
  ComPtr<TKRComponentData> data = LargeConsole();
  TKRFolder* root = data->GetRootFolder();
  const std::vector<MMC_COOKIE> cookies = HandAllToConsole(*root);
  const MMC_COOKIE wanted = state.range(0) == 3   ? MMC_COOKIE{-5}
                            : state.range(0) == 2 ? cookies.back()
                            : state.range(0) == 1 ? cookies[cookies.size() / 2]
                                                  : cookies.front();
  for (auto _ : state) benchmark::DoNotOptimize(root->SearchFolderByCookie(wanted));
  state.counters["folders"] = static_cast<double>(cookies.size());
}
BENCHMARK(BM_SearchFolderByCookie)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
