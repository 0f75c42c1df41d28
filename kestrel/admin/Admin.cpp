#include "kestrel/admin/Admin.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <istream>
#include <map>
#include <ostream>
#include <stdexcept>

#include "kestrel/admin/Demo.h"
#include "kestrel/engine/Dump.h"
#include "kestrel/engine/FileIO.h"
#include "kestrel/engine/Integrity.h"
#include "kestrel/engine/SchemaReader.h"
#include "kestrel/engine/Server.h"
#include "kestrel/engine/Text.h"
#include "kestrel/engine/Transaction.h"

namespace kestrel::admin {

namespace {

namespace fs = std::filesystem;

// A failure reported to standard error with exit status 1.
class Failure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string ServerDir(const std::string& name) {
  if (!IsPlainName(name)) throw Failure("not a valid server name: " + name);
  return ServerDirectory(KestrelHome(), name);
}

ServerState ExistingState(const std::string& dir) {
  ServerState state;
  std::string error;
  if (!FileExists(dir + "/server.json")) throw Failure("no such server: " + BaseName(dir));
  if (!ReadServerState(dir, state, error)) throw Failure(dir + ": " + error);
  return state;
}

// Holds the server's lock for a command that changes it.
class ServerLock {
 public:
  explicit ServerLock(const std::string& dir) {
    ExistingState(dir);
    bool busy = false;
    if (!lock_.Acquire(dir + "/.lock", busy))
      throw Failure(busy ? "server in use by another process: " + BaseName(dir)
                         : "cannot lock " + dir);
  }

 private:
  LockFile lock_;
};

void WriteState(const std::string& dir, const ServerState& state) {
  if (!WriteServerState(dir, state)) throw Failure("cannot write " + dir + "/server.json");
}

// A database of the server by name: an online one from its archive, else a saved one under
// databases/.
DatabasePtr LoadDatabase(const std::string& dir, const std::string& name) {
  const ServerState state = ExistingState(dir);
  std::vector<SchemaPtr> metas;
  std::vector<std::string> problems;
  ReadMetas(dir + "/metas", metas, problems);
  std::string archive = dir + "/databases/" + name + ".dmp";
  for (const OnlineEntry& entry : state.databases)
    if (entry.name == name) archive = entry.archive;
  std::string bytes;
  if (!ReadWholeFile(archive, bytes)) throw Failure("no such database: " + name);
  DumpInfo info;
  try {
    info = ReadDumpInfo(bytes);
  } catch (const DumpCorrupt& e) {
    throw Failure(archive + ": " + e.what());
  }
  for (const SchemaPtr& schema : metas)
    if (schema->name == info.schemaName && schema->version == info.schemaVersion) {
      auto db = std::make_shared<Database>(name, schema, archive);
      db->Data() = DecodeDump(bytes, *schema);
      return db;
    }
  throw Failure(archive + ": schema " + info.schemaName + " " + info.schemaVersion +
                " is not installed");
}

void Save(Database& db) {
  if (!db.Save()) throw Failure("cannot write " + db.ArchivePath());
}

void Expect(const std::vector<std::string>& args, size_t min, size_t max, const char* usage) {
  if (args.size() < min || args.size() > max)
    throw Failure(std::string("usage: kestrel-admin ") + usage);
}

int CreateServer(const std::vector<std::string>& args, std::ostream& out) {
  Expect(args, 2, 2, "create-server NAME");
  const std::string dir = ServerDir(args[1]);
  if (fs::exists(dir)) throw Failure("the server exists already: " + args[1]);
  fs::create_directories(dir + "/metas");
  fs::create_directories(dir + "/databases");
  WriteState(dir, ServerState{args[1], true, {}});
  out << "created server " << args[1] << " in " << dir << "\n";
  return 0;
}

int InstallSchema(const std::vector<std::string>& args, std::ostream& out) {
  Expect(args, 3, 3, "install-schema SERVER FILE");
  const std::string dir = ServerDir(args[1]);
  ServerLock lock(dir);
  SchemaPtr schema;
  try {
    schema = ReadSchemaFile(args[2]);
  } catch (const SchemaError& e) {
    throw Failure(e.what());
  }
  std::vector<SchemaPtr> metas;
  std::vector<std::string> problems;
  ReadMetas(dir + "/metas", metas, problems);
  for (const SchemaPtr& m : metas)
    if (m->name == schema->name && m->version == schema->version)
      throw Failure("schema " + schema->name + " " + schema->version + " is installed already");
  const std::string target = dir + "/metas/" + BaseName(args[2]);
  if (fs::exists(target)) throw Failure("a schema file of that name exists: " + target);
  std::string text;
  ReadWholeFile(args[2], text);
  if (!WriteFileAtomically(target, text)) throw Failure("cannot write " + target);
  out << "installed schema " << schema->name << " " << schema->version << "\n";
  return 0;
}

int List(const std::vector<std::string>& args, std::ostream& out) {
  Expect(args, 1, 1, "list");
  const std::string root = KestrelHome() + "/servers";
  std::vector<std::string> names;
  if (fs::is_directory(root))
    for (const auto& entry : fs::directory_iterator(root))
      if (entry.is_directory() && entry.path().filename().string()[0] != '.')
        names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  if (names.empty()) out << "no servers in " << root << "\n";
  for (const std::string& name : names) {
    const std::string dir = root + "/" + name;
    ServerState state;
    std::string error;
    if (!ReadServerState(dir, state, error)) {
      out << name << " (unreadable: " << error << ")\n";
      continue;
    }
    out << name << " (" << (state.running ? "running" : "stopped") << ")\n";
    std::vector<SchemaPtr> metas;
    std::vector<std::string> problems;
    ReadMetas(dir + "/metas", metas, problems);
    for (const SchemaPtr& schema : metas) {
      out << "  schema " << schema->name << " " << schema->version << "\n";
      for (const OnlineEntry& db : state.databases)
        if (db.schema == schema->name && db.version == schema->version)
          out << "    database " << db.name << " (" << db.archive << ")\n";
    }
    for (const std::string& problem : problems) out << "  not served: " << problem << "\n";
  }
  return 0;
}

int SetRunning(const std::vector<std::string>& args, std::ostream& out, bool running) {
  Expect(args, 2, 2, running ? "start SERVER" : "stop SERVER");
  const std::string dir = ServerDir(args[1]);
  ServerLock lock(dir);
  ServerState state = ExistingState(dir);
  state.running = running;
  WriteState(dir, state);
  out << args[1] << (running ? " started" : " stopped") << "\n";
  return 0;
}

int AddUser(const std::vector<std::string>& args, std::istream& in, std::ostream& out) {
  const bool admin = args.size() == 5 && args[4] == "--admin";
  if (args.size() == 5 && !admin) throw Failure("unknown option " + args[4]);
  Expect(args, 4, 5, "add-user SERVER DB USER [--admin]  (password on standard input)");
  const std::string dir = ServerDir(args[1]);
  ServerLock lock(dir);
  const DatabasePtr db = LoadDatabase(dir, args[2]);
  std::string password;
  std::getline(in, password);
  if (!password.empty() && password.back() == '\r') password.pop_back();
  try {
    db->AddUser(ToUtf16(args[3]), password, admin);
  } catch (const std::invalid_argument& e) {
    throw Failure(std::string(e.what()) + ": " + args[3]);
  }
  Save(*db);
  out << "added user " << args[3] << (admin ? " (administrator)" : "") << " to " << args[2] << "\n";
  return 0;
}

int DumpInfoCommand(const std::vector<std::string>& args, std::ostream& out) {
  Expect(args, 2, 2, "dump-info FILE");
  std::string bytes;
  if (!ReadWholeFile(args[1], bytes)) throw Failure("cannot read " + args[1]);
  try {
    const DumpInfo info = ReadDumpInfo(bytes);
    out << "format version " << info.formatVersion << "\nschema " << info.schemaName << " "
        << info.schemaVersion << "\nrecords " << info.recordCount << "\npersistent transactions "
        << info.transactionCount << "\n";
  } catch (const DumpCorrupt& e) {
    throw Failure(args[1] + ": " + e.what());
  }
  return 0;
}

int ScenariosCommand(const std::vector<std::string>& args, std::ostream& out) {
  Expect(args, 3, 3, "scenarios SERVER DB");
  const DatabasePtr db = LoadDatabase(ServerDir(args[1]), args[2]);
  for (const PersistentTransaction& scenario : db->Scenarios()) {
    const char* visibility = (scenario.flags & txflag::kPrivate) != 0     ? "private"
                             : (scenario.flags & txflag::kProtected) != 0 ? "protected"
                                                                          : "public";
    out << scenario.name << " (under " << (scenario.parent.empty() ? "Root" : scenario.parent)
        << ", by " << ToUtf8(scenario.owner) << ", " << visibility << ")";
    if (!scenario.description.empty()) out << ": " << ToUtf8(scenario.description);
    out << "\n";
  }
  if (db->Scenarios().empty()) out << "no scenarios in " << args[2] << "\n";
  return 0;
}

int Check(const std::vector<std::string>& args, std::ostream& out) {
  const bool repair = args.size() == 4 && args[3] == "--repair";
  if (args.size() == 4 && !repair) throw Failure("unknown option " + args[3]);
  Expect(args, 3, 4, "check SERVER DB [--repair]");
  const std::string dir = ServerDir(args[1]);
  ServerLock lock(dir);
  const DatabasePtr db = LoadDatabase(dir, args[2]);
  const std::vector<std::string> findings = CheckIntegrity(*db, repair);
  for (const std::string& line : findings) out << line << "\n";
  if (findings.empty()) out << "no problems found\n";
  if (db->Modified()) Save(*db);
  const bool remaining = !findings.empty() && (!repair || !CheckIntegrity(*db, false).empty());
  return remaining ? 2 : 0;
}

int InitDemo(const std::vector<std::string>& args, std::ostream& out) {
  Expect(args, 1, 1, "init-demo");
  SeedDemo(KestrelHome(), out);
  return 0;
}

}  // namespace

int RunAdmin(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
             std::ostream& err) {
  using Command = std::function<int(const std::vector<std::string>&)>;
  const std::map<std::string, Command> commands = {
      {"init-demo", [&](const auto& a) { return InitDemo(a, out); }},
      {"create-server", [&](const auto& a) { return CreateServer(a, out); }},
      {"install-schema", [&](const auto& a) { return InstallSchema(a, out); }},
      {"list", [&](const auto& a) { return List(a, out); }},
      {"start", [&](const auto& a) { return SetRunning(a, out, true); }},
      {"stop", [&](const auto& a) { return SetRunning(a, out, false); }},
      {"add-user", [&](const auto& a) { return AddUser(a, in, out); }},
      {"dump-info", [&](const auto& a) { return DumpInfoCommand(a, out); }},
      {"scenarios", [&](const auto& a) { return ScenariosCommand(a, out); }},
      {"check", [&](const auto& a) { return Check(a, out); }},
  };
  const auto it = args.empty() ? commands.end() : commands.find(args[0]);
  if (it == commands.end()) {
    err << "usage: kestrel-admin init-demo | create-server NAME | install-schema SERVER FILE | "
           "list | start SERVER | stop SERVER | add-user SERVER DB USER [--admin] | "
           "dump-info FILE | scenarios SERVER DB | check SERVER DB [--repair]\n";
    return 1;
  }
  try {
    return it->second(args);
  } catch (const std::exception& e) {
    err << "kestrel-admin: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace kestrel::admin
