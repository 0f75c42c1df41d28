// Feeds arbitrary calls to kestreld's call service as one attached client sends them. The
// input is a sequence of CallRequest messages, each after its length (two bytes, little
// endian), served in order; then the client is released as when it detaches. A handle
// argument from 1 to 16 stands for the client's handle of that rank (1 the lowest), so that
// calls can reach what earlier calls opened. Whatever the calls say, the daemon must answer or
// refuse them, never crash, read out of bounds or leak, and once the client is released the
// library holds no handle.
// Calls that name files are left out: the fuzzer must not read or write outside its home.
#include <stdlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "kestrel/api/Remote.h"
#include "kestrel/daemon/Service.h"

namespace {

using kestrel::rpc::CallRequest;

// A home with the running server "F" (schema F 1: a class with a text and a number),
// $KESTREL_HOME while the fuzzer runs; removed at exit. (The working directory stays: libFuzzer
// reads and writes its corpus through paths relative to it.)
struct Home {
  Home() {
    char pattern[] = "/tmp/kestrel-daemon-fuzz-XXXXXX";
    path = ::mkdtemp(pattern);
    const std::string dir = path + "/servers/F";
    std::filesystem::create_directories(dir + "/metas");
    std::filesystem::create_directories(dir + "/databases");
    std::ofstream(dir + "/server.json") << R"({"name": "F", "state": "running", "databases": []})";
    std::ofstream(dir + "/metas/f.json") << R"({"name": "F", "version": "1", "classes": [
        {"name": "Item", "fields": [{"name": "name", "type": 9}, {"name": "n", "type": 3}]}]})";
    ::setenv("KESTREL_HOME", path.c_str(), 1);
    kestrel::api::remote::ServeInProcess();
    KSUseWideStrings(1);
  }
  ~Home() { std::filesystem::remove_all(path); }
  std::string path;
};

bool NamesFiles(kestrel::rpc::Function function) {
  switch (function) {
    case kestrel::rpc::F_KSRestoreDBFromArchive:
    case kestrel::rpc::F_KSSaveDBToAsciiFile:
    case kestrel::rpc::F_KSCreateDBFromAsciiFile:
    case kestrel::rpc::F_KSCreateDBFromRDBMS:
    case kestrel::rpc::F_KSEnableJournal:
    case kestrel::rpc::F_KSDisableJournal:
      return true;
    default:
      return false;
  }
}

void RankHandles(const kestrel::daemon::Client& client, CallRequest& request) {
  for (kestrel::rpc::Value& argument : *request.mutable_arguments()) {
    const uint32_t rank = argument.has_handle() ? argument.handle() : 0;
    if (rank == 0 || rank > 16 || rank > client.handles.size()) continue;
    argument.set_handle(*std::next(client.handles.begin(), rank - 1));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Home home;
  kestrel::daemon::Client client;
  client.id = client.name = "fuzz";
  for (size_t at = 0; at + 2 <= size;) {
    const size_t length = std::min<size_t>(data[at] | (size_t{data[at + 1]} << 8), size - at - 2);
    at += 2;
    CallRequest request;
    if (request.ParseFromArray(data + at, static_cast<int>(length)) && !NamesFiles(request.function())) {
      RankHandles(client, request);
      kestrel::rpc::CallReply reply;
      kestrel::daemon::ServeCall(client, request, reply);
    }
    at += length;
  }
  kestrel::daemon::ReleaseClient(client);
  if (KSGetOpenHandleCount() != 0) std::abort();
  return 0;
}
