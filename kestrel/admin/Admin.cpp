#include "kestrel/admin/Admin.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <istream>
#include <map>
#include <ostream>
#include <stdexcept>

#include "kestrel/admin/Demo.h"
#include "kestrel/admin/ThroughDaemon.h"
#include "kestrel/engine/DaemonSocket.h"
#include "kestrel/engine/Dump.h"
#include "kestrel/engine/FileIO.h"
#include "kestrel/engine/Integrity.h"
#include "kestrel/engine/SchemaReader.h"
#include "kestrel/engine/Server.h"
#include "kestrel/engine/SqliteImport.h"
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
    if (lock_.Acquire(dir + "/.lock", busy)) return;
    if (!busy) throw Failure("cannot lock " + dir);
    throw Failure("server in use by another process: " + BaseName(dir) +
                  (DaemonAnswers(KestrelHome()) ? " (kestreld serves it; stop the daemon for this command)" : ""));
  }

 private:
  LockFile lock_;
};

void WriteState(const std::string& dir, const ServerState& state) {
  if (!WriteServerState(dir, state)) throw Failure("cannot write " + dir + "/server.json");
}

std::vector<SchemaPtr> Metas(const std::string& dir) {
  std::vector<SchemaPtr> metas;
  std::vector<std::string> problems;
  ReadMetas(dir + "/metas", metas, problems);
  return metas;
}

// A database of the server by name: an online one as the server would bring it back (its
// archive, then its journal), else a saved one under databases/. What went wrong with a journal
// goes to `err`.
DatabasePtr LoadDatabase(const std::string& dir, const std::string& name, std::ostream& err) {
  const ServerState state = ExistingState(dir);
  const std::vector<SchemaPtr> metas = Metas(dir);
  for (const OnlineEntry& entry : state.databases) {
    if (entry.name != name) continue;
    for (const SchemaPtr& schema : metas) {
      if (schema->name != entry.schema || schema->version != entry.version) continue;
      DatabasePtr db;
      std::string problem;
      if (LoadOnlineDatabase(entry, schema, db, problem) != KS_OK)
        throw Failure(entry.archive + ": the database cannot be loaded");
      if (!problem.empty()) err << "kestrel-admin: " << problem << "\n";
      return db;
    }
    throw Failure("schema " + entry.schema + " " + entry.version + " is not installed");
  }
  const std::string archive = dir + "/databases/" + name + ".dmp";
  std::string bytes;
  const ReadOutcome read = ReadDumpFile(archive, bytes);
  if (read == ReadOutcome::kMissing) throw Failure("no such database: " + name);
  if (read != ReadOutcome::kOk) throw Failure(DescribeReadOutcome(read, archive, "dump"));
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
  bool existed = false;
  if (!CreateDirectoryExclusively(dir, existed))
    throw Failure(existed ? "the server exists already: " + args[1] : "cannot create " + dir);
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
  for (const SchemaPtr& m : Metas(dir))
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
  const bool daemon = DaemonAnswers(KestrelHome());
  for (const std::string& name : names) {
    const std::string dir = root + "/" + name;
    ServerState state;
    std::string error;
    if (!ReadServerState(dir, state, error)) {
      out << name << " (unreadable: " << error << ")\n";
      continue;
    }
    out << name << " (" << (state.running ? "running" : "stopped") << ")\n";
    if (daemon && state.running && ListThroughDaemon(name, out)) continue;
    std::vector<SchemaPtr> metas;
    std::vector<std::string> problems;
    ReadMetas(dir + "/metas", metas, problems);
    std::vector<const OnlineEntry*> sound;
    for (const OnlineEntry& db : state.databases) {
      const KSStatus status = CheckOnlineArchive(db, metas);
      if (status == KS_OK)
        sound.push_back(&db);
      else
        problems.push_back(OnlineLoadFailure(db, status));
    }
    for (const SchemaPtr& schema : metas) {
      out << "  schema " << schema->name << " " << schema->version << "\n";
      for (const OnlineEntry* db : sound)
        if (db->schema == schema->name && db->version == schema->version)
          out << "    database " << db->name << " (" << db->archive << ")"
              << (db->journal.empty() ? "" : ", journal " + db->journal) << "\n";
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

int AddUser(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
            std::ostream& err) {
  const bool admin = args.size() == 5 && args[4] == "--admin";
  if (args.size() == 5 && !admin) throw Failure("unknown option " + args[4]);
  Expect(args, 4, 5, "add-user SERVER DB USER [--admin]  (password on standard input)");
  const std::string dir = ServerDir(args[1]);
  ServerLock lock(dir);
  const DatabasePtr db = LoadDatabase(dir, args[2], err);
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
  const ReadOutcome read = ReadDumpFile(args[1], bytes);
  if (read != ReadOutcome::kOk) throw Failure(DescribeReadOutcome(read, args[1], "dump"));
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

int ScenariosCommand(const std::vector<std::string>& args, std::ostream& out,
                     std::ostream& err) {
  Expect(args, 3, 3, "scenarios SERVER DB");
  const DatabasePtr db = LoadDatabase(ServerDir(args[1]), args[2], err);
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

int Check(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const bool repair = args.size() == 4 && args[3] == "--repair";
  if (args.size() == 4 && !repair) throw Failure("unknown option " + args[3]);
  Expect(args, 3, 4, "check SERVER DB [--repair]");
  const std::string dir = ServerDir(args[1]);
  if (DaemonAnswers(KestrelHome())) return CheckThroughDaemon(args[1], args[2], repair, out);
  ServerLock lock(dir);
  const DatabasePtr db = LoadDatabase(dir, args[2], err);
  const std::vector<std::string> findings = CheckIntegrity(*db, repair);
  for (const std::string& line : findings) out << line << "\n";
  if (findings.empty()) out << "no problems found\n";
  if (db->Modified()) Save(*db);
  const bool remaining = !findings.empty() && (!repair || !CheckIntegrity(*db, false).empty());
  return remaining ? 2 : 0;
}

// The online database `name` in the state, with its entry.
OnlineEntry& OnlineEntryOf(ServerState& state, const std::string& name) {
  for (OnlineEntry& entry : state.databases)
    if (entry.name == name) return entry;
  throw Failure("no online database " + name);
}

int Journal(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Expect(args, 5, 5, "journal on|off SERVER DB FILE");
  const bool on = args[1] == "on";
  if (!on && args[1] != "off") throw Failure("journal on or journal off, not journal " + args[1]);
  const std::string dir = ServerDir(args[2]);
  if (DaemonAnswers(KestrelHome())) return JournalThroughDaemon(on, args[2], args[3], AbsolutePath(args[4]), out);
  ServerLock lock(dir);
  ServerState state = ExistingState(dir);
  OnlineEntry& entry = OnlineEntryOf(state, args[3]);
  const std::string file = AbsolutePath(args[4]);
  if (!on && entry.journal.empty()) {
    out << "the journal of " << args[3] << " is off already\n";
    return 0;
  }
  if (!on && entry.journal != file)
    throw Failure(args[3] + " journals into " + entry.journal + ", not " + file);
  const DatabasePtr db = LoadDatabase(dir, args[3], err);
  const KSStatus status = on ? db->EnableJournal(file) : db->DisableJournal();
  if (status == KS_ERR_NOT_A_JOURNAL)
    throw Failure(file + " exists and is not a journal of " + args[3]);
  if (status != KS_OK)
    throw Failure("cannot write " + (on ? file + " or " : "") + db->ArchivePath());
  entry.journal = db->JournalFile();
  WriteState(dir, state);
  out << "the journal of " << args[3] << (on ? " is on in " + file : " is off") << "\n";
  return 0;
}

int ImportSqlite(const std::vector<std::string>& args, std::ostream& out) {
  Expect(args, 6, 6, "import-sqlite SERVER SCHEMA VERSION DB FILE");
  const std::string dir = ServerDir(args[1]);
  ServerLock lock(dir);
  ServerState state = ExistingState(dir);
  const std::string& name = args[4];
  if (!IsPlainName(name)) throw Failure("not a valid database name: " + name);
  for (const OnlineEntry& entry : state.databases)
    if (entry.name == name) throw Failure("a database " + name + " is online already");
  const std::string archive = dir + "/databases/" + name + ".dmp";
  if (FileExists(archive)) throw Failure("a saved database of that name exists: " + archive);
  SchemaPtr schema;
  for (const SchemaPtr& m : Metas(dir))
    if (m->name == args[2] && m->version == args[3]) schema = m;
  if (!schema) throw Failure("schema " + args[2] + " " + args[3] + " is not installed");
  const std::string source = AbsolutePath(args[5]);
  DatabasePtr db;
  ImportReport report;
  const std::string reportFile = archive.substr(0, archive.size() - 4) + ".import.txt";
  switch (CreateFromSqlite(source, name, schema, archive, reportFile, db, report)) {
    case KS_OK:
      break;
    case KS_ERR_FILE_NOT_FOUND:
      throw Failure("no such file: " + source);
    case KS_ERR_IMPORT_SOURCE:
      throw Failure(source + " is not a readable SQLite database");
    default:
      throw Failure("cannot write " + reportFile);
  }
  Save(*db);
  state.databases.push_back({name, schema->name, schema->version, archive, ""});
  WriteState(dir, state);
  std::string text;
  ReadWholeFile(reportFile, text);
  out << text << "report: " << reportFile << "\n";
  return 0;
}

int InitDemo(const std::vector<std::string>& args, std::ostream& out) {
  Expect(args, 1, 1, "init-demo");
  SeedDemo(KestrelHome(), out);
  return 0;
}

// Each command's syntax and what it does: the help text and the usage line.
const std::vector<std::pair<std::string, std::string>> kCommands = {
    {"init-demo", "creates the demo server KestrelOS20 and a group of demo dumps"},
    {"create-server NAME", "creates a new, running server without schemas"},
    {"install-schema SERVER FILE", "checks a schema file and installs it on the server"},
    {"list", "lists the servers with their state, schemas and online databases"},
    {"start SERVER", "marks a stopped server running"},
    {"stop SERVER", "marks a server stopped"},
    {"add-user SERVER DB USER [--admin]",
     "adds a user to a database; the password is read from standard input"},
    {"dump-info FILE", "shows the header and counts of a dump"},
    {"scenarios SERVER DB", "lists a database's scenarios with their parent, owner and visibility"},
    {"check SERVER DB [--repair]",
     "checks a database's integrity and repairs what can be repaired (exit status 2 when "
     "findings remain)"},
    {"journal on|off SERVER DB FILE",
     "turns the write-ahead journal of an online database on (saving it first) or off (saving "
     "what the journal held); a server that dies between two saves brings the database back "
     "from its last dump and the journal"},
    {"import-sqlite SERVER SCHEMA VERSION DB FILE",
     "creates the online database DB of the schema from the tables of an SQLite file and "
     "prints the report of what could not be imported (kept in databases/DB.import.txt)"},
};

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
      {"add-user", [&](const auto& a) { return AddUser(a, in, out, err); }},
      {"dump-info", [&](const auto& a) { return DumpInfoCommand(a, out); }},
      {"scenarios", [&](const auto& a) { return ScenariosCommand(a, out, err); }},
      {"check", [&](const auto& a) { return Check(a, out, err); }},
      {"journal", [&](const auto& a) { return Journal(a, out, err); }},
      {"import-sqlite", [&](const auto& a) { return ImportSqlite(a, out); }},
  };
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
    out << "usage: kestrel-admin COMMAND [ARGUMENTS]\n"
           "Administers the object servers under $KESTREL_HOME (default "
           "~/.local/share/kestrel).\nCommands that change a server fail while a process "
           "serves it; while kestreld serves the home, list, check and journal go through "
           "it.\n\n";
    for (const auto& [syntax, text] : kCommands)
      out << "  " << syntax << "\n      " << text << "\n";
    return 0;
  }
  const auto it = args.empty() ? commands.end() : commands.find(args[0]);
  if (it == commands.end()) {
    err << "usage: kestrel-admin";
    for (size_t i = 0; i < kCommands.size(); ++i)
      err << (i == 0 ? " " : " | ") << kCommands[i].first;
    err << "\n       kestrel-admin --help\n";
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
