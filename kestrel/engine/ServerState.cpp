#include "kestrel/engine/ServerState.h"

#include <nlohmann/json.hpp>

#include <cstdlib>

#include "kestrel/engine/FileIO.h"

namespace kestrel {

std::string KestrelHome() {
  const char* home = std::getenv("KESTREL_HOME");
  std::string dir;
  if (home != nullptr && *home != '\0') {
    dir = home;
  } else {
    const char* user = std::getenv("HOME");
    dir = std::string(user != nullptr ? user : ".") + "/.local/share/kestrel";
  }
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

std::string ServerDirectory(const std::string& home, const std::string& serverName) {
  return home + "/servers/" + serverName;
}

bool IsPlainName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (const char c : name)
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) return false;
  return true;
}

bool ReadServerState(const std::string& serverDir, ServerState& state, std::string& error) {
  std::string text;
  // server.json lists a server's databases: a few kilobytes. The bound keeps a stray large
  // file from being read into memory before it is refused.
  constexpr uint64_t kMaxStateFileBytes = 16u << 20;
  const ReadOutcome read = ReadRegularFile(serverDir + "/server.json", text, kMaxStateFileBytes);
  if (read != ReadOutcome::kOk) {
    error = read == ReadOutcome::kNotRegularFile ? "server.json is not a regular file"
            : read == ReadOutcome::kTooLarge     ? "server.json is too large"
                                                 : "server.json cannot be read";
    return false;
  }
  try {
    const auto doc = nlohmann::json::parse(text);
    state = ServerState{};
    state.name = doc.at("name").get<std::string>();
    const auto stateText = doc.at("state").get<std::string>();
    if (stateText != "running" && stateText != "stopped") throw std::runtime_error("bad state");
    state.running = stateText == "running";
    for (const auto& entry : doc.value("databases", nlohmann::json::array())) {
      OnlineEntry online{entry.at("name").get<std::string>(), entry.at("schema").get<std::string>(),
                         entry.at("version").get<std::string>(),
                         entry.at("archive").get<std::string>(),
                         entry.value("journal", std::string())};
      for (std::string* path : {&online.archive, &online.journal})
        if (!path->empty() && path->front() != '/') *path = serverDir + "/" + *path;
      state.databases.push_back(std::move(online));
    }
  } catch (const std::exception& e) {
    error = std::string("server.json is malformed: ") + e.what();
    return false;
  }
  return true;
}

bool WriteServerState(const std::string& serverDir, const ServerState& state) {
  nlohmann::json doc;
  doc["name"] = state.name;
  doc["state"] = state.running ? "running" : "stopped";
  doc["databases"] = nlohmann::json::array();
  const std::string prefix = serverDir + "/";
  auto stored = [&](const std::string& path) {
    return path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size()) : path;
  };
  for (const OnlineEntry& entry : state.databases) {
    nlohmann::json online = {{"name", entry.name},
                             {"schema", entry.schema},
                             {"version", entry.version},
                             {"archive", stored(entry.archive)}};
    if (!entry.journal.empty()) online["journal"] = stored(entry.journal);
    doc["databases"].push_back(std::move(online));
  }
  return WriteFileAtomically(serverDir + "/server.json", doc.dump(2) + "\n");
}

}  // namespace kestrel
