// kestrel-admin commands run in-process against a temporary $KESTREL_HOME.
#include "kestrel/admin/Admin.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "kestrel/admin/Demo.h"
#include "kestrel/engine/Database.h"
#include "kestrel/engine/LockFile.h"
#include "kestrel/engine/Scenarios.h"
#include "kestrel/engine/Transaction.h"
#include "kestrel/engine/SchemaReader.h"
#include "kestrel/engine/Server.h"

namespace kestrel::admin {
namespace {

namespace fs = std::filesystem;

class AdminTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kestrel-admin-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    home_ = pattern;
    ::setenv("KESTREL_HOME", home_.c_str(), 1);
  }
  void TearDown() override { fs::remove_all(home_); }

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

  std::string home_;
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
  EXPECT_NE(err_.str().find("truncated"), std::string::npos);

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

TEST_F(AdminTest, UnknownCommandsAndMissingArgumentsFail) {
  EXPECT_EQ(Run({}), 1);
  EXPECT_NE(err_.str().find("usage"), std::string::npos);
  EXPECT_EQ(Run({"frobnicate"}), 1);
  EXPECT_EQ(Run({"create-server"}), 1);
  EXPECT_NE(err_.str().find("usage: kestrel-admin create-server NAME"), std::string::npos);
  EXPECT_EQ(Run({"list", "extra"}), 1);
}

}  // namespace
}  // namespace kestrel::admin
