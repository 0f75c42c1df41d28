// A temporary $KESTREL_HOME for the Database API benchmarks, removed at exit, holding one
// running server with one schema.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace kestrel::bench {

// Sets $KESTREL_HOME to a fresh directory with servers/<server>/ (running) whose metas/ holds
// `schemaJson`; answers the home's path.
inline std::string MakeBenchHome(const std::string& server, const std::string& schemaJson) {
  static const struct TempHome {
    TempHome() {
      char pattern[] = "/tmp/kestrel-bench-XXXXXX";
      path = ::mkdtemp(pattern);
    }
    ~TempHome() { std::filesystem::remove_all(path); }
    std::string path;
  } temp;
  ::setenv("KESTREL_HOME", temp.path.c_str(), 1);
  const std::string dir = temp.path + "/servers/" + server;
  std::filesystem::create_directories(dir + "/metas");
  std::filesystem::create_directories(dir + "/databases");
  std::ofstream(dir + "/server.json")
      << R"({"name": ")" + server + R"(", "state": "running", "databases": []})";
  std::ofstream(dir + "/metas/bench.json") << schemaJson;
  return temp.path;
}

}  // namespace kestrel::bench
