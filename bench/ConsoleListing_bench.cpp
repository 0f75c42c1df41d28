// Listing a folder of many children through the console host and the
// snap-in, as a user selecting it does: the workstation's "Servers" folder
// with n servers (scope items the console lists itself), and a database
// group whose directory holds n dumps (result items the snap-in inserts).
// Each run starts from a fresh console, selects the folder (its first
// expansion, the headers, the items, the verbs) and reads every cell of the
// result pane. The counter "us_per_child" must stay flat as n grows.
//
// Registering the snap-in module into a registry that already holds many
// keys (classes of other software) is timed too, as `vzconsole --register`
// does it.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "console/host/Console.h"
#include "console/host/SnapinModule.h"
#include "snapin/KRComponentData.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A directory of its own below the system's temporary one, gone afterwards.
class ScratchDir {
 public:
  ScratchDir() {
    path_ = fs::temp_directory_path() / ("kr-bench-" + std::to_string(::getpid()));
    fs::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

TKRFolder* AddFolder(TKRFolder& parent, const std::string& name, TKRFolderType type, int image) {
  auto folder = std::make_unique<TKRFolder>();
  folder->Init(name, image, image, type, true);
  return TKRFolder::SetParent(std::move(folder), parent);
}

// The child of `node` with that display name (expanding `node` first).
HSCOPEITEM Child(TConsole& console, HSCOPEITEM node, const std::string& name) {
  console.ExpandNode(node);
  for (HSCOPEITEM child : console.Tree().Find(node)->children) {
    if (console.NodeName(child) == name) return child;
  }
  return 0;
}

// Selects the node at `path` below the static node and reads every cell of
// the result pane; answers the rows listed.
int SelectAndList(TConsole& console, const std::vector<std::string>& path) {
  HSCOPEITEM node = console.StaticNode();
  for (size_t i = 0; i + 1 < path.size(); ++i) node = Child(console, node, path[i]);
  node = Child(console, node, path.back());
  console.SelectNode(node);
  const std::vector<int> columns = console.VisibleColumns();
  for (int row = 0; row < console.RowCount(); ++row) {
    for (int column : columns) benchmark::DoNotOptimize(console.CellText(row, column));
  }
  return console.RowCount();
}

// Times selecting and listing the folder that `populate` fills with n
// children in a fresh console.
template <class Populate>
void TimeListing(benchmark::State& state, const std::vector<std::string>& path, Populate populate) {
  setenv("VAZERIR_COMPUTERNAME", "BENCH", 1);
  const int n = static_cast<int>(state.range(0));
  double seconds = 0;
  int rows = 0;
  for (auto _ : state) {
    ComPtr<TKRComponentData> data = MakeComObject<TKRComponentData>();
    populate(*data->GetRootFolder(), n);
    ComPtr<TConsole> console = MakeComObject<TConsole>();
    console->Start(data, nullptr, nullptr, "VAZERir");
    const auto start = Clock::now();
    rows = SelectAndList(*console, path);
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(elapsed);
    seconds += elapsed;
    console->Close();
  }
  if (rows != n) state.SkipWithError("the folder did not list every child");
  state.counters["us_per_child"] = seconds * 1e6 / double(state.iterations()) / n;
}

void BM_SelectAndListServers(benchmark::State& state) {
  TimeListing(state, {"Workstations", "bench", "Servers"}, [](TKRFolder& root, int n) {
    TKRFolder& servers = *root.SearchFolderByType(krftServers);
    for (int i = 0; i < n; ++i)
      AddFolder(servers, "ObjectServer" + std::to_string(i), krftServer, 5);
  });
}
BENCHMARK(BM_SelectAndListServers)
    ->Arg(400)
    ->Arg(2000)
    ->Arg(10000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_SelectAndListDumps(benchmark::State& state) {
  ScratchDir dir;
  const int n = static_cast<int>(state.range(0));
  for (int i = 0; i < n; ++i) std::ofstream(dir.File("dump" + std::to_string(i) + ".dmp")) << "x";
  TimeListing(state, {"Database Groups", "Dumps"}, [&dir](TKRFolder& root, int) {
    TKRFolder& groups = *root.SearchFolderByType(krftDBGroups);
    AddFolder(groups, "Dumps", krftDBGroup, 8)->GetColumns().push_back(dir.File(""));
  });
}
BENCHMARK(BM_SelectAndListDumps)
    ->Arg(400)
    ->Arg(2000)
    ->Arg(10000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// A registry file with n classes of other software, as a large machine's.
void WriteLargeRegistry(const std::string& path, int n) {
  std::ofstream out(path);
  out << "REGEDIT4\n\n";
  for (int i = 0; i < n; ++i) {
    char guid[64];
    std::snprintf(guid, sizeof guid, "{%08X-1111-2222-3333-%012d}", unsigned(i * 2654435761u), i);
    out << "[HKEY_CLASSES_ROOT\\CLSID\\" << guid << "\\InprocServer32]\n"
        << "@=\"/usr/lib/other/module" << i << ".so\"\n\"ThreadingModel\"=\"Apartment\"\n\n";
  }
}

void BM_RegisterIntoLargeRegistry(benchmark::State& state) {
  ScratchDir dir;
  const std::string registry = dir.File("registry.reg");
  setenv("VAZERIR_REGISTRY", registry.c_str(), 1);
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    WriteLargeRegistry(registry, n);
    state.ResumeTiming();
    RegisterModule(KR_VAZERIR_MODULE, false);
  }
  state.counters["keys"] = n;
}
BENCHMARK(BM_RegisterIntoLargeRegistry)
    ->Arg(2000)
    ->Arg(20000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
