// A temporary $KESTREL_HOME for the Database API benchmarks, removed at exit, holding one
// running server with one schema.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace kestrel::bench {

// A fresh temporary directory with servers/<server>/ (running) whose metas/ holds
// `schemaJson`; removed with the object.
class TBenchHome {
 public:
  TBenchHome(const std::string& server, const std::string& schemaJson) {
    char pattern[] = "/tmp/kestrel-bench-XXXXXX";
    path_ = ::mkdtemp(pattern);
    const std::string dir = path_ + "/servers/" + server;
    std::filesystem::create_directories(dir + "/metas");
    std::filesystem::create_directories(dir + "/databases");
    std::ofstream(dir + "/server.json")
        << R"({"name": ")" + server + R"(", "state": "running", "databases": []})";
    std::ofstream(dir + "/metas/bench.json") << schemaJson;
  }
  ~TBenchHome() { std::filesystem::remove_all(path_); }
  TBenchHome(const TBenchHome&) = delete;
  TBenchHome& operator=(const TBenchHome&) = delete;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// Sets $KESTREL_HOME to a home made once by the first call (removed at exit); answers its path.
inline std::string MakeBenchHome(const std::string& server, const std::string& schemaJson) {
  static const TBenchHome home(server, schemaJson);
  ::setenv("KESTREL_HOME", home.Path().c_str(), 1);
  return home.Path();
}

}  // namespace kestrel::bench
