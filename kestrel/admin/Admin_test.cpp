// kestrel-admin commands run in-process against a temporary $KESTREL_HOME.
#include "kestrel/admin/Admin.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "kestrel/admin/Demo.h"
#include "kestrel/engine/Database.h"
#include "kestrel/engine/FileIO.h"
#include "kestrel/engine/LockFile.h"
#include "kestrel/engine/Scenarios.h"
#include "kestrel/engine/Transaction.h"
#include "kestrel/engine/SchemaReader.h"
#include "kestrel/engine/Server.h"
#include "kestrel/engine/ServerState.h"
#include "kestrel/engine/TestDirectory.h"

namespace kestrel::admin {
namespace {

namespace fs = std::filesystem;

class AdminTest : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("KESTREL_HOME", home_.c_str(), 1); }

  int Run(const std::vector<std::string>& args, const std::string& input = "") {
    std::istringstream in(input);
    out_.str("");
    err_.str("");
    return RunAdmin(args, in, out_, err_);
  }

  std::string WriteSchema(const std::string& name, const std::string& text) {
    const std::string path = home_ + "/" + name;
    std::ofstream(path) << text;
    return path;
  }

  TestDirectory temp_{"kestrel-admin"};
  const std::string home_ = temp_.Path();
  std::ostringstream out_, err_;
};

TEST_F(AdminTest, InitDemoThenListShowsTheDemoServer) {
  ASSERT_EQ(Run({"init-demo"}), 0) << err_.str();
  EXPECT_NE(out_.str().find("groups/Demo"), std::string::npos);
  ASSERT_EQ(Run({"list"}), 0);
  const std::string list = out_.str();
  EXPECT_NE(list.find("KestrelOS20 (running)"), std::string::npos) << list;
  EXPECT_NE(list.find("  schema Sales 1.0\n    database Northwind"), std::string::npos) << list;
  EXPECT_NE(list.find("  schema Sales 2.0\n    database Eastwind"), std::string::npos);
  EXPECT_NE(list.find("  schema Staff 1.0\n    database Personnel"), std::string::npos);
  EXPECT_EQ(list.find("not served"), std::string::npos);
  for (const char* dump : {"Westwind.dmp", "Archive2025.dmp", "Spring/db.dmp"})
    EXPECT_TRUE(fs::exists(home_ + "/groups/Demo/" + dump)) << dump;
  EXPECT_EQ(Run({"init-demo"}), 1) << "existing data is never touched";
  EXPECT_NE(err_.str().find("exists already"), std::string::npos);
}

TEST_F(AdminTest, TheDemoDataIsConsistentAndServable) {
  ASSERT_EQ(Run({"init-demo"}), 0);
  for (const char* db : {"Northwind", "Southwind", "Eastwind", "Personnel"}) {
    EXPECT_EQ(Run({"check", "KestrelOS20", db}), 0) << db << ": " << out_.str() << err_.str();
    EXPECT_EQ(out_.str(), "no problems found\n");
  }
  ServerPtr server;
  ASSERT_EQ(Server::Open(ServerDirectory(home_, "KestrelOS20"), server), KS_OK);
  EXPECT_EQ(server->Metas().size(), 3u);
  const DatabasePtr northwind = server->FindDatabase("Northwind");
  ASSERT_NE(northwind, nullptr);
  EXPECT_NE(northwind->Authenticate(u"anna", "anna"), kNullRecord);
  EXPECT_EQ(northwind->Authenticate(u"anna", "ben"), kNullRecord);
  EXPECT_EQ(northwind->Data().transactions.size(), 3u);
  EXPECT_EQ(Run({"stop", "KestrelOS20"}), 1) << "served by this process";
  EXPECT_NE(err_.str().find("server in use by another process"), std::string::npos);
}

TEST_F(AdminTest, CreatesServersInstallsSchemasAndStartsAndStopsThem) {
  ASSERT_EQ(Run({"create-server", "Lab"}), 0) << err_.str();
  EXPECT_EQ(Run({"create-server", "Lab"}), 1);
  EXPECT_EQ(Run({"create-server", "a/b"}), 1);
  const std::string good = WriteSchema("good.json", DemoSchema("staff-1.0.json"));
  ASSERT_EQ(Run({"install-schema", "Lab", good}), 0) << err_.str();
  EXPECT_EQ(Run({"install-schema", "Lab", good}), 1) << "installed already";
  const std::string bad =
      WriteSchema("bad.json", R"({"name": "X", "version": "1", "classes": [{"name": "A", "fields": [
        {"name": "f", "type": 99}]}]})");
  EXPECT_EQ(Run({"install-schema", "Lab", bad}), 1);
  EXPECT_NE(err_.str().find("bad.json: /classes/0/fields/0/type: unsupported field type 99"),
            std::string::npos)
      << err_.str();
  EXPECT_FALSE(fs::exists(ServerDirectory(home_, "Lab") + "/metas/bad.json"));
  ASSERT_EQ(Run({"stop", "Lab"}), 0);
  ASSERT_EQ(Run({"list"}), 0);
  EXPECT_NE(out_.str().find("Lab (stopped)\n  schema Staff 1.0\n"), std::string::npos)
      << out_.str();
  ASSERT_EQ(Run({"start", "Lab"}), 0);
  ASSERT_EQ(Run({"list"}), 0);
  EXPECT_NE(out_.str().find("Lab (running)"), std::string::npos);
  EXPECT_EQ(Run({"start", "Nowhere"}), 1);
  EXPECT_NE(err_.str().find("no such server"), std::string::npos);
}

TEST_F(AdminTest, ListReportsSchemaFilesThatAreNotServed) {
  ASSERT_EQ(Run({"create-server", "Lab"}), 0);
  std::ofstream(ServerDirectory(home_, "Lab") + "/metas/broken.json") << R"({"name": "B",)";
  ASSERT_EQ(Run({"list"}), 0);
  EXPECT_NE(out_.str().find("not served: " + ServerDirectory(home_, "Lab") +
                            "/metas/broken.json: byte 14: syntax error"),
            std::string::npos)
      << out_.str();
}

TEST_F(AdminTest, DatabasesThatCannotComeOnlineAreNamedWithTheReason) {
  ASSERT_EQ(Run({"init-demo"}), 0);
  const std::string dir = ServerDirectory(home_, "KestrelOS20");
  std::ofstream(dir + "/databases/Southwind.dmp", std::ios::trunc) << "KESTRDMP and no more";
  fs::remove(dir + "/metas/staff-1.0.json");
  const std::string corrupt = dir + "/databases/Southwind.dmp: database Southwind could not be "
                              "brought online: the archive is truncated, corrupt or not a dump";
  const std::string unserved = dir + "/databases/Personnel.dmp: database Personnel could not be "
                               "brought online: schema Staff 1.0 is not served";
  ASSERT_EQ(Run({"list"}), 0);
  const std::string list = out_.str();
  EXPECT_NE(list.find("  not served: " + corrupt + "\n"), std::string::npos) << list;
  EXPECT_NE(list.find("  not served: " + unserved + "\n"), std::string::npos) << list;
  EXPECT_EQ(list.find("database Southwind ("), std::string::npos) << list;
  EXPECT_NE(list.find("database Northwind ("), std::string::npos) << list;

  std::shared_ptr<Server> server;
  ASSERT_EQ(Server::Open(dir, server), KS_OK);
  EXPECT_EQ(server->FindDatabase("Southwind"), nullptr);
  server.reset();
  std::string log;
  ASSERT_TRUE(ReadWholeFile(dir + "/server.log", log));
  EXPECT_NE(log.find("Z " + corrupt + "\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Z " + unserved + "\n"), std::string::npos) << log;
}

// Runs `args` in `count` processes released at the same moment; the number that succeeded.
int RunAtOnce(const std::vector<std::string>& args, int count) {
  int gate[2];
  if (::pipe(gate) != 0) return -1;
  std::vector<pid_t> children;
  for (int i = 0; i < count; ++i) {
    const pid_t child = ::fork();
    if (child == 0) {
      ::close(gate[1]);
      char byte;
      while (::read(gate[0], &byte, 1) < 0 && errno == EINTR) {
      }
      std::istringstream in;
      std::ostringstream out, err;
      ::_exit(RunAdmin(args, in, out, err));
    }
    children.push_back(child);
  }
  ::close(gate[0]);
  ::close(gate[1]);
  int succeeded = 0;
  for (const pid_t child : children) {
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) ++succeeded;
  }
  return succeeded;
}

TEST_F(AdminTest, OfServersCreatedAtTheSameMomentExactlyOneIsMade) {
  for (int round = 0; round < 12; ++round)
    EXPECT_EQ(RunAtOnce({"create-server", "S" + std::to_string(round)}, 3), 1) << round;
  EXPECT_EQ(RunAtOnce({"init-demo"}, 3), 1);
  ASSERT_EQ(Run({"create-server", "S0"}), 1);
  EXPECT_NE(err_.str().find("the server exists already: S0"), std::string::npos) << err_.str();
}

// A process saving a growing database is killed at random moments; after each kill the server
// opens with the database whole - as its last completed save left it - and no temporary file.
TEST_F(AdminTest, KillsDuringSavesLoseNoDatabaseAndLeaveNoTemporaryFile) {
  constexpr int kBatch = 400;
  ASSERT_EQ(Run({"create-server", "Lab"}), 0);
  ASSERT_EQ(Run({"install-schema", "Lab", WriteSchema("notes.json", R"({"name": "Notes",
      "version": "1", "classes": [{"name": "Note", "fields": [{"name": "text", "type": 9}]}]})")}),
            0) << err_.str();
  const std::string dir = ServerDirectory(home_, "Lab");
  std::shared_ptr<Server> server;
  ASSERT_EQ(Server::Open(dir, server), KS_OK);
  ASSERT_EQ(server->CreateEmpty(server->FindMeta("Notes", "1"), "Pad"), KS_OK);
  const size_t empty = server->FindDatabase("Pad")->Data().records.size();
  server.reset();

  std::mt19937 random(35);
  size_t last = empty;
  for (int round = 0; round < 24; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      std::shared_ptr<Server> writer;
      if (Server::Open(dir, writer) != KS_OK) ::_exit(3);
      Database& db = *writer->FindDatabase("Pad");
      const ClassDef& note = *db.GetSchema().FindClass("Note");
      Record record{note.id, std::vector<Value>(note.allFields.size())};
      record.values[static_cast<size_t>(note.FieldIndex("text"))] =
          std::u16string(200, u'n');
      for (;;) {
        for (int i = 0; i < kBatch; ++i) db.Data().Insert(record);
        db.Save();
      }
    }
    ::usleep(static_cast<useconds_t>(2000 + random() % 60000));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: " << status;

    ASSERT_EQ(Server::Open(dir, server), KS_OK) << round;
    const DatabasePtr pad = server->FindDatabase("Pad");
    ASSERT_NE(pad, nullptr) << round;
    const size_t now = pad->Data().records.size();
    EXPECT_GE(now, last) << round;
    EXPECT_EQ((now - empty) % kBatch, 0u) << "a save is there whole or not at all";
    last = now;
    server.reset();
    for (const auto& entry : fs::recursive_directory_iterator(dir))
      EXPECT_EQ(entry.path().string().find(".tmp."), std::string::npos) << entry.path();
  }
  EXPECT_GT(last, empty) << "no save completed before a kill";
}

TEST_F(AdminTest, AddsUsersWithThePasswordFromStandardInput) {
  ASSERT_EQ(Run({"init-demo"}), 0);
  ASSERT_EQ(Run({"add-user", "KestrelOS20", "Southwind", "carl", "--admin"}, "s3cret\n"), 0)
      << err_.str();
  EXPECT_EQ(Run({"add-user", "KestrelOS20", "Southwind", "carl"}, "x\n"), 1) << "exists already";
  EXPECT_EQ(Run({"add-user", "KestrelOS20", "Nothing", "dora"}, "x\n"), 1);
  EXPECT_EQ(Run({"add-user", "KestrelOS20", "Southwind", "dora", "--root"}, "x\n"), 1);
  ServerPtr server;
  ASSERT_EQ(Server::Open(ServerDirectory(home_, "KestrelOS20"), server), KS_OK);
  const DatabasePtr db = server->FindDatabase("Southwind");
  const RecordID carl = db->Authenticate(u"carl", "s3cret");
  ASSERT_NE(carl, kNullRecord);
  EXPECT_EQ(db->FieldValue(carl, "isAdmin"), Value{int32_t{1}});
  EXPECT_EQ(db->Authenticate(u"carl", "s3cret\n"), kNullRecord) << "the line end is not part of it";
}

TEST_F(AdminTest, ScenariosTellParentOwnerVisibilityAndDescription) {
  ASSERT_EQ(Run({"init-demo"}), 0);
  ASSERT_EQ(Run({"scenarios", "KestrelOS20", "Northwind"}), 0) << err_.str();
  EXPECT_EQ(out_.str(),
            "Budget 2027 (under Root, by anna, public): Sales plan for the coming year\n"
            "Optimistic (under Budget 2027, by anna, public): Higher volumes in the north\n"
            "Draft (under Root, by ben, public): Work in progress\n");
  {
    ServerPtr server;
    ASSERT_EQ(Server::Open(ServerDirectory(home_, "KestrelOS20"), server), KS_OK);
    const DatabasePtr db = server->FindDatabase("Southwind");
    std::vector<std::string> removed;
    for (const PersistentTransaction& scenario : std::vector<PersistentTransaction>(db->Scenarios()))
      if (scenario.parent.empty()) RemoveScenario(*db, scenario.name, removed);
    ASSERT_TRUE(db->Save());
  }
  ASSERT_EQ(Run({"scenarios", "KestrelOS20", "Southwind"}), 0);
  EXPECT_EQ(out_.str(), "no scenarios in Southwind\n");
  {
    ServerPtr server;
    ASSERT_EQ(Server::Open(ServerDirectory(home_, "KestrelOS20"), server), KS_OK);
    const DatabasePtr db = server->FindDatabase("Southwind");
    PersistentTransaction mine;
    mine.name = "Mine";
    mine.flags = txflag::kPersistent | txflag::kPrivate;
    mine.owner = u"ben";
    ASSERT_EQ(CreateScenario(*db, mine), KS_OK);
    PersistentTransaction locked;
    locked.name = "Locked";
    locked.parent = "Mine";
    locked.flags = txflag::kPersistent | txflag::kProtected;
    locked.owner = u"anna";
    locked.description = u"Keys";
    ASSERT_EQ(CreateScenario(*db, locked), KS_OK);
    ASSERT_TRUE(db->Save());
  }
  ASSERT_EQ(Run({"scenarios", "KestrelOS20", "Southwind"}), 0);
  EXPECT_EQ(out_.str(),
            "Mine (under Root, by ben, private)\nLocked (under Mine, by anna, protected): Keys\n");
  EXPECT_EQ(Run({"scenarios", "KestrelOS20", "Nowhere"}), 1);
  EXPECT_EQ(Run({"scenarios", "KestrelOS20"}), 1);
}

TEST_F(AdminTest, DumpInfoAndCheckWithRepair) {
  ASSERT_EQ(Run({"init-demo"}), 0);
  ASSERT_EQ(Run({"dump-info", home_ + "/groups/Demo/Archive2025.dmp"}), 0);
  EXPECT_NE(out_.str().find("schema Sales 2.0\n"), std::string::npos) << out_.str();
  std::ofstream(home_ + "/junk.dmp") << "junk";
  EXPECT_EQ(Run({"dump-info", home_ + "/junk.dmp"}), 1);
  EXPECT_NE(err_.str().find("junk.dmp: not a dump"), std::string::npos) << err_.str();
  EXPECT_EQ(Run({"dump-info", "/dev/zero"}), 1);
  EXPECT_NE(err_.str().find("/dev/zero: not a regular file"), std::string::npos) << err_.str();

  // Break a reference in Southwind's archive, then check and repair it.
  const std::string dir = ServerDirectory(home_, "KestrelOS20");
  std::vector<SchemaPtr> metas;
  std::vector<std::string> problems;
  ReadMetas(dir + "/metas", metas, problems);
  const SchemaPtr sales = metas[0];
  Database db("Southwind", sales, dir + "/databases/Southwind.dmp");
  ASSERT_EQ(LoadDumpFile(db.ArchivePath(), *sales, db.Data()), KS_OK);
  const ClassDef& order = *sales->FindClass("Order");
  for (auto& [id, record] : db.Data().records)
    if (record.classId == order.id) {
      record.values[static_cast<size_t>(order.FieldIndex("customerP"))] = int32_t{424242};
      break;
    }
  ASSERT_TRUE(db.Save());
  EXPECT_EQ(Run({"check", "KestrelOS20", "Southwind"}), 2);
  EXPECT_NE(out_.str().find("refers to missing record 424242"), std::string::npos) << out_.str();
  EXPECT_EQ(Run({"check", "KestrelOS20", "Southwind", "--repair"}), 0) << out_.str();
  EXPECT_NE(out_.str().find("(repaired)"), std::string::npos);
  EXPECT_EQ(Run({"check", "KestrelOS20", "Southwind"}), 0);
}

TEST_F(AdminTest, JournalOnAndOffAndCommandsSeeWhatTheJournalHolds) {
  ASSERT_EQ(Run({"init-demo"}), 0);
  const std::string dir = ServerDirectory(home_, "KestrelOS20");
  const std::string journal = home_ + "/south.jnl";
  EXPECT_EQ(Run({"journal", "maybe", "KestrelOS20", "Southwind", journal}), 1);
  EXPECT_EQ(Run({"journal", "on", "KestrelOS20", "Nowhere", journal}), 1);
  EXPECT_NE(err_.str().find("no online database Nowhere"), std::string::npos) << err_.str();
  EXPECT_EQ(Run({"journal", "on", "KestrelOS20", "Southwind", dir + "/databases/Northwind.dmp"}),
            1);
  EXPECT_NE(err_.str().find("is not a journal of Southwind"), std::string::npos) << err_.str();
  EXPECT_EQ(Run({"journal", "off", "KestrelOS20", "Southwind", journal}), 0);
  EXPECT_EQ(out_.str(), "the journal of Southwind is off already\n");

  ASSERT_EQ(Run({"journal", "on", "KestrelOS20", "Southwind", journal}), 0) << err_.str();
  ASSERT_EQ(Run({"list"}), 0);
  EXPECT_NE(out_.str().find("database Southwind (" + dir + "/databases/Southwind.dmp), journal " +
                            journal + "\n"),
            std::string::npos)
      << out_.str();

  // A process journals a new user and ends without saving.
  {
    ServerState state;
    std::string error;
    ASSERT_TRUE(ReadServerState(dir, state, error)) << error;
    std::vector<SchemaPtr> metas;
    std::vector<std::string> problems;
    ReadMetas(dir + "/metas", metas, problems);
    DatabasePtr db;
    std::string problem;
    ASSERT_EQ(LoadOnlineDatabase(state.databases[1], metas[0], db, problem), KS_OK);
    ASSERT_EQ(db->Name(), "Southwind");
    ASSERT_TRUE(db->JournalActive()) << problem;
    db->AddUser(u"dora", "pw", false);
  }
  EXPECT_EQ(Run({"add-user", "KestrelOS20", "Southwind", "dora"}, "x\n"), 1)
      << "the commands load the database with its journal";

  EXPECT_EQ(Run({"journal", "off", "KestrelOS20", "Southwind", home_ + "/other.jnl"}), 1);
  ASSERT_EQ(Run({"journal", "off", "KestrelOS20", "Southwind", journal}), 0) << err_.str();
  ASSERT_EQ(Run({"list"}), 0);
  EXPECT_EQ(out_.str().find(", journal"), std::string::npos) << out_.str();
  ServerPtr server;
  ASSERT_EQ(Server::Open(dir, server), KS_OK);
  const DatabasePtr southwind = server->FindDatabase("Southwind");
  EXPECT_FALSE(southwind->JournalActive());
  EXPECT_NE(southwind->Authenticate(u"dora", "pw"), kNullRecord)
      << "turning the journal off saved what it held";
}

// An SQLite file of departments and their employees; "badge" names no field, "Parking" no class.
std::string StaffSource(const std::string& path) {
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, R"(
      CREATE TABLE Department (id INTEGER PRIMARY KEY, name TEXT);
      CREATE TABLE Employee (name TEXT, badge TEXT, hired TEXT,
                             departmentP INTEGER REFERENCES Department(id));
      CREATE TABLE Parking (slot INTEGER);
      INSERT INTO Department VALUES (1, 'Lab'), (2, 'Office');
      INSERT INTO Employee VALUES ('Ann', 'A1', '2024-03-01', 2), ('Bob', 'B7', 'soon', 1);)",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  return path;
}

TEST_F(AdminTest, ImportSqliteCreatesAnOnlineDatabaseAndPrintsTheReport) {
  ASSERT_EQ(Run({"create-server", "Lab"}), 0);
  ASSERT_EQ(Run({"install-schema", "Lab", WriteSchema("staff.json", DemoSchema("staff-1.0.json"))}),
            0);
  const std::string source = StaffSource(home_ + "/staff.sqlite");
  const std::string dir = ServerDirectory(home_, "Lab");
  std::ofstream(home_ + "/text.sqlite") << "not a database";
  EXPECT_EQ(Run({"import-sqlite", "Lab", "Staff", "1.0", "Team", home_ + "/missing.sqlite"}), 1);
  EXPECT_NE(err_.str().find("no such file: " + home_ + "/missing.sqlite"), std::string::npos);
  EXPECT_EQ(Run({"import-sqlite", "Lab", "Staff", "1.0", "Team", home_ + "/text.sqlite"}), 1);
  EXPECT_NE(err_.str().find("is not a readable SQLite database"), std::string::npos);
  EXPECT_EQ(Run({"import-sqlite", "Lab", "Staff", "2.0", "Team", source}), 1);
  EXPECT_EQ(Run({"import-sqlite", "Lab", "Staff", "1.0", "a/b", source}), 1);
  EXPECT_FALSE(fs::exists(dir + "/databases/Team.dmp"));
  EXPECT_FALSE(fs::exists(dir + "/databases/Team.import.txt"));

  ASSERT_EQ(Run({"import-sqlite", "Lab", "Staff", "1.0", "Team", source}), 0) << err_.str();
  const std::string printed = out_.str();
  EXPECT_NE(printed.find("imported from " + source + ": 4 records of 2 classes\n"),
            std::string::npos)
      << printed;
  EXPECT_NE(printed.find("table Employee, column badge: no field of that name; not imported\n"),
            std::string::npos);
  EXPECT_NE(printed.find("table Parking: no class of that name; not imported\n"),
            std::string::npos);
  EXPECT_NE(printed.find("table Employee, column hired: values that do not fit field hired"),
            std::string::npos);
  EXPECT_NE(printed.find("report: " + dir + "/databases/Team.import.txt\n"), std::string::npos);
  EXPECT_EQ(Run({"import-sqlite", "Lab", "Staff", "1.0", "Team", source}), 1)
      << "online already";
  EXPECT_EQ(Run({"check", "Lab", "Team"}), 0) << out_.str();

  ServerPtr server;
  ASSERT_EQ(Server::Open(dir, server), KS_OK);
  const DatabasePtr team = server->FindDatabase("Team");
  ASSERT_NE(team, nullptr);
  EXPECT_NE(team->Authenticate(u"system", ""), kNullRecord);
  const Schema& schema = team->GetSchema();
  const ClassDef& employee = *schema.FindClass("Employee");
  std::map<std::u16string, std::u16string> departments;  // employee: department
  for (const auto& [id, record] : team->Committed().records)
    if (record.classId == employee.id) {
      const Value& department = record.values[static_cast<size_t>(employee.FieldIndex("departmentP"))];
      departments[std::get<std::u16string>(
          record.values[static_cast<size_t>(employee.FieldIndex("name"))])] =
          std::get<std::u16string>(team->FieldValue(std::get<int32_t>(department), "name"));
    }
  EXPECT_EQ(departments, (std::map<std::u16string, std::u16string>{{u"Ann", u"Office"},
                                                                    {u"Bob", u"Lab"}}));
}

TEST_F(AdminTest, UnknownCommandsAndMissingArgumentsFail) {
  EXPECT_EQ(Run({}), 1);
  EXPECT_NE(err_.str().find("usage"), std::string::npos);
  EXPECT_EQ(Run({"frobnicate"}), 1);
  EXPECT_EQ(Run({"create-server"}), 1);
  EXPECT_NE(err_.str().find("usage: kestrel-admin create-server NAME"), std::string::npos);
  EXPECT_EQ(Run({"list", "extra"}), 1);
  EXPECT_EQ(Run({"journal", "on", "Lab", "Db"}), 1);
  EXPECT_NE(err_.str().find("usage: kestrel-admin journal on|off SERVER DB FILE"),
            std::string::npos)
      << err_.str();
}

TEST_F(AdminTest, HelpDescribesEveryCommand) {
  ASSERT_EQ(Run({"--help"}), 0);
  const std::string help = out_.str();
  for (const char* syntax : {"init-demo", "create-server NAME", "install-schema SERVER FILE",
                             "list", "start SERVER", "stop SERVER",
                             "add-user SERVER DB USER [--admin]", "dump-info FILE",
                             "scenarios SERVER DB", "check SERVER DB [--repair]",
                             "journal on|off SERVER DB FILE",
                             "import-sqlite SERVER SCHEMA VERSION DB FILE"})
    EXPECT_NE(help.find(std::string("\n  ") + syntax + "\n      "), std::string::npos) << syntax;
  EXPECT_EQ(Run({"frobnicate"}), 1);
  EXPECT_NE(err_.str().find("| journal on|off SERVER DB FILE |"), std::string::npos) << err_.str();
}

}  // namespace
}  // namespace kestrel::admin
