// The state file of a server, servers/<name>/server.json:
//   {"name": "KestrelOS20", "state": "running" | "stopped",
//    "databases": [{"name": "Demo", "schema": "Sales", "version": "1.0",
//                   "archive": "databases/Demo.dmp", "journal": "/var/log/Demo.jnl"}]}
// "journal" is present for a database whose journal is active. Archives and journals inside the
// server's directory are stored relative to it, others absolute.
#pragma once

#include <string>
#include <vector>

namespace kestrel {

struct OnlineEntry {
  std::string name;
  std::string schema;
  std::string version;
  std::string archive;  // absolute path
  std::string journal;  // absolute path, empty: no journal
};

struct ServerState {
  std::string name;
  bool running = true;
  std::vector<OnlineEntry> databases;
};

// KESTREL_HOME, else ~/.local/share/kestrel (no trailing '/').
std::string KestrelHome();
std::string ServerDirectory(const std::string& home, const std::string& serverName);
// A plain name: not empty, no '/', '\\', control characters, not "." or "..".
bool IsPlainName(const std::string& name);

// False when the file is missing or malformed (`error` says why).
bool ReadServerState(const std::string& serverDir, ServerState& state, std::string& error);
bool WriteServerState(const std::string& serverDir, const ServerState& state);

}  // namespace kestrel
