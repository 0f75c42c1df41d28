// Whole-database operations through the C functions.
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "kestrel/api/TestSupport.h"

namespace kestrel::test {
namespace {

class ApiDatabaseTest : public ApiTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    ASSERT_NE(Connect(), 0u);
  }

  std::string Archive(const std::string& name) const {
    return ServerDir() + "/databases/" + name + ".dmp";
  }

  // The text of a new database (with the user "system") plus `records`, NEXT set to `next`.
  std::string TextWith(const std::string& records, int next = 1000) {
    if (template_.empty()) {
      const std::string file = home_ + "/template.txt";
      EXPECT_EQ(CreateDb("Template"), KS_OK);
      EXPECT_EQ(KSSaveDBToAsciiFile(server_, u"Template", U(file).c_str()), KS_OK);
      EXPECT_EQ(KSDestroyDB(server_, u"Template"), KS_OK);
      template_ = ReadFile(file);
    }
    std::string text = template_;
    const auto next_at = text.find("NEXT\t");
    text.replace(next_at, text.find('\n', next_at) - next_at, "NEXT\t" + std::to_string(next));
    text.insert(text.rfind("END\n"), records);
    return text;
  }

  std::string Integrity(const std::string& name, int level) {
    return N(KSCheckDatabaseIntegrity(server_, U(name).c_str(), level));
  }

  std::string template_;
};

const std::string kRecords =
    "R\t100\tCustomer\tname=Ann\trating=2\tcreditLimit=0x1.8p+10\tactive=1\n"
    "R\t101\tOrder\tnumber=-7\tdate=1700000000\tcustomerP=100\tweight=0x1.921fb54442d18p+1\t"
    "lead=60\tscan=00ff10\ttags=5\tnote=tab\\there\\nnewline \\\\ \xc3\xa9\n"
    "R\t102\tVipCustomer\tname=Bo\n";

TEST_F(ApiDatabaseTest, CreatesAnEmptyDatabaseWithItsArchive) {
  EXPECT_EQ(CreateDb("Shop"), KS_OK);
  EXPECT_TRUE(std::filesystem::exists(Archive("Shop")));
  EXPECT_EQ(CreateDb("Alpha"), KS_OK);
  EXPECT_EQ(Databases(), (std::vector<std::string>{"Alpha", "Shop"}));
  EXPECT_TRUE(Databases("Sales", "2.0").empty()) << "databases belong to one schema version";
  EXPECT_NE(Logon("Shop"), 0u) << "system with an empty password";
}

TEST_F(ApiDatabaseTest, CreateEmptyRefusesWithoutCreatingAnything) {
  ASSERT_EQ(CreateDb("Shop"), KS_OK);
  const std::string before = ReadFile(Archive("Shop"));
  EXPECT_EQ(CreateDb("Shop"), KS_ERR_DATABASE_ONLINE);
  EXPECT_EQ(CreateDb("/tmp/x.dmp"), KS_ERR_INVALID_NAME);
  EXPECT_EQ(CreateDb("a/b"), KS_ERR_INVALID_NAME);
  EXPECT_EQ(CreateDb(""), KS_ERR_INVALID_NAME);
  EXPECT_EQ(CreateDb(".."), KS_ERR_INVALID_NAME);
  EXPECT_EQ(KSCreateEmptyDB(server_, Meta("Sales", "1.0"), u"Lang", u"EN"),
            KS_ERR_INVALID_LANGUAGE);
  EXPECT_EQ(KSCreateEmptyDB(server_, 0, u"NoMeta", u"ENU"), KS_ERR_INVALID_HANDLE);
  ASSERT_EQ(KSDestroyDB(server_, u"Shop"), KS_OK);
  EXPECT_EQ(CreateDb("Shop"), KS_ERR_ARCHIVE_EXISTS) << "a saved database is never overwritten";
  EXPECT_EQ(ReadFile(Archive("Shop")), before);
  EXPECT_TRUE(Databases().empty());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(ServerDir() + "/databases"),
                          std::filesystem::directory_iterator()),
            1);
}

TEST_F(ApiDatabaseTest, TextFilesRoundTripEveryFieldType) {
  const std::string text = TextWith(kRecords);
  ASSERT_EQ(CreateDbFromText("Full", text), KS_OK);
  const std::string out = home_ + "/full.txt";
  ASSERT_EQ(KSSaveDBToAsciiFile(server_, u"Full", U(out).c_str()), KS_OK);
  EXPECT_EQ(ReadFile(out), text);
  // Through a dump as well: shut down (saves), load the archive again, export.
  ASSERT_EQ(KSShutdownDB(server_, u"Full"), KS_OK);
  ASSERT_EQ(KSRestoreDBFromArchive(server_, Meta("Sales", "1.0"), U(Archive("Full")).c_str()),
            KS_OK);
  ASSERT_EQ(KSSaveDBToAsciiFile(server_, u"Full", U(out).c_str()), KS_OK);
  EXPECT_EQ(ReadFile(out), text);
}

TEST_F(ApiDatabaseTest, ATextWithoutUsersGetsTheAdministratorSystem) {
  ASSERT_EQ(CreateDbFromText("Bare",
                             "KESTREL-TEXT 1\nSCHEMA\tSales\t1.0\nNEXT\t8\n"
                             "R\t7\tCustomer\tname=Ann\nEND\n"),
            KS_OK);
  EXPECT_NE(Logon("Bare"), 0u);
  const std::string out = home_ + "/bare.txt";
  ASSERT_EQ(KSSaveDBToAsciiFile(server_, u"Bare", U(out).c_str()), KS_OK);
  EXPECT_NE(ReadFile(out).find("R\t8\tSYSUser\tname=system"), std::string::npos);
}

TEST_F(ApiDatabaseTest, MalformedTextFilesAreRefused) {
  const std::string good = TextWith(kRecords);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"R\t100\tCustomer", "R\t100\tNoSuchClass"},
      {"number=-7", "number=x7"},
      {"number=-7", "nosuch=1"},
      {"scan=00ff10", "scan=0f1"},
      {"SCHEMA\tSales\t1.0", "SCHEMA\tSales\t2.0"},
      {"END\n", ""},
      {"KESTREL-TEXT 1", "KESTREL-TEXT 2"},
      {"R\t102", "R\t100"},
      {"R\t102", "R\t5000"},
  };
  for (const auto& [from, to] : cases) {
    std::string text = good;
    text.replace(text.find(from), from.size(), to);
    EXPECT_EQ(CreateDbFromText("Bad", text), KS_ERR_ASCII_FORMAT) << to;
  }
  EXPECT_FALSE(std::filesystem::exists(Archive("Bad")));
  EXPECT_EQ(KSCreateDBFromAsciiFile(server_, Meta("Sales", "1.0"), u"Bad", u"/no/such/file"),
            KS_ERR_FILE_NOT_FOUND);
}

TEST_F(ApiDatabaseTest, RestoresFromAFileOrADirectoryNamedAfterIt) {
  ASSERT_EQ(CreateDbFromText("Source", TextWith(kRecords)), KS_OK);
  const std::string group = home_ + "/group";
  WriteFile(group + "/Winter.DMP", ReadFile(Archive("Source")));
  WriteFile(group + "/Spring/db.dmp", ReadFile(Archive("Source")));
  WriteFile(group + "/Summer/db.dmp", ReadFile(Archive("Source")));
  const KSHandle meta = Meta("Sales", "1.0");
  EXPECT_EQ(KSRestoreDBFromArchive(server_, meta, U(group + "/Winter.DMP").c_str()), KS_OK);
  EXPECT_EQ(KSRestoreDBFromArchive(server_, meta, U(group + "/Spring/").c_str()), KS_OK);
  EXPECT_EQ(KSRestoreDBFromArchive(server_, meta, U(group + "/Summer").c_str()), KS_OK);
  EXPECT_EQ(Databases(), (std::vector<std::string>{"Source", "Spring", "Summer", "Winter"}));
  EXPECT_EQ(KSRestoreDBFromArchive(server_, meta, U(group + "/Winter.DMP").c_str()),
            KS_ERR_DATABASE_ONLINE);
  // Saving writes back to where the dump came from.
  const KSHandle session = Logon("Spring");
  ASSERT_NE(session, 0u);
  const std::string before = ReadFile(group + "/Spring/db.dmp");
  ASSERT_EQ(KSSaveDB(server_, u"Spring"), KS_OK);
  EXPECT_NE(ReadFile(group + "/Spring/db.dmp"), before) << "lastLogin changed";
  EXPECT_FALSE(std::filesystem::exists(Archive("Spring")));
}

TEST_F(ApiDatabaseTest, BadDumpsAreRefusedAndChangeNothing) {
  ASSERT_EQ(CreateDbFromText("Source", TextWith(kRecords)), KS_OK);
  ASSERT_EQ(CreateDb("Staff", "Hr", "1.0"), KS_OK);
  const std::string dump = ReadFile(Archive("Source"));
  const std::string dir = home_ + "/bad";
  WriteFile(dir + "/truncated.dmp", dump.substr(0, dump.size() / 2));
  WriteFile(dir + "/empty.dmp", "");
  std::string flipped = dump;
  flipped[flipped.size() / 2] ^= 0x20;
  WriteFile(dir + "/flipped.dmp", flipped);
  WriteFile(dir + "/text.dmp", "KESTREL-TEXT 1\n");
  WriteFile(dir + "/Hr.dmp", ReadFile(Archive("Staff")));
  const KSHandle meta = Meta("Sales", "1.0");
  const std::vector<std::pair<std::string, KSStatus>> cases = {
      {"truncated.dmp", KS_ERR_DUMP_CORRUPT}, {"empty.dmp", KS_ERR_DUMP_CORRUPT},
      {"flipped.dmp", KS_ERR_DUMP_CORRUPT},   {"text.dmp", KS_ERR_DUMP_CORRUPT},
      {"Hr.dmp", KS_ERR_DUMP_SCHEMA},         {"missing.dmp", KS_ERR_FILE_NOT_FOUND},
      {"missing/", KS_ERR_FILE_NOT_FOUND}};
  for (const auto& [file, status] : cases) {
    const std::string before = ReadFile(dir + "/" + file);
    EXPECT_EQ(KSRestoreDBFromArchive(server_, meta, U(dir + "/" + file).c_str()), status) << file;
    EXPECT_EQ(ReadFile(dir + "/" + file), before);
  }
  EXPECT_EQ(Databases(), std::vector<std::string>{"Source"});
  EXPECT_EQ(KSRestoreDBFromArchive(server_, meta, nullptr), KS_ERR_INVALID_ARGUMENT);
}

TEST_F(ApiDatabaseTest, EveryByteOfADumpIsCoveredByTheChecks) {
  ASSERT_EQ(CreateDbFromText("Source", TextWith(kRecords)), KS_OK);
  const std::string dump = ReadFile(Archive("Source"));
  const std::string path = home_ + "/Probe.dmp";
  const KSHandle meta = Meta("Sales", "1.0");
  for (size_t i = 0; i < dump.size(); i += 7) {
    std::string damaged = dump;
    damaged[i] = static_cast<char>(damaged[i] ^ 0x01);
    WriteFile(path, damaged);
    ASSERT_NE(KSRestoreDBFromArchive(server_, meta, U(path).c_str()), KS_OK) << "byte " << i;
  }
}

TEST_F(ApiDatabaseTest, ASaveThatFailsHalfWayLeavesTheOldDump) {
  if (daemon_ != 0) GTEST_SKIP() << "the file size limit is set on this process, not on the daemon";
  std::string records;
  for (int i = 0; i < 3000; ++i)
    records += "R\t" + std::to_string(100 + i) + "\tOrder\tnumber=" + std::to_string(i) +
               "\tnote=some text to make the dump larger than the limit\n";
  ASSERT_EQ(CreateDbFromText("Big", TextWith(records, 5000)), KS_OK);
  const std::string before = ReadFile(Archive("Big"));
  ASSERT_GT(before.size(), 100000u);
  ASSERT_NE(Logon("Big"), 0u);  // an unsaved change

  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 20000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const KSStatus saved = KSSaveDB(server_, u"Big");
  const KSStatus shutdown = KSShutdownDB(server_, u"Big");
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, SIG_DFL);

  EXPECT_EQ(saved, KS_ERR_WRITE_FAILED);
  EXPECT_EQ(shutdown, KS_ERR_WRITE_FAILED);
  EXPECT_EQ(Databases(), std::vector<std::string>{"Big"}) << "a failed save keeps it online";
  EXPECT_EQ(ReadFile(Archive("Big")), before);
  for (const auto& entry : std::filesystem::directory_iterator(ServerDir() + "/databases"))
    EXPECT_EQ(entry.path().extension(), ".dmp") << "no temporary file is left behind";
  EXPECT_EQ(KSSaveDB(server_, u"Big"), KS_OK);
  EXPECT_NE(ReadFile(Archive("Big")), before);
}

TEST_F(ApiDatabaseTest, ShutdownSavesWhileDestroyAndTheNoSaveOptionDoNot) {
  ASSERT_EQ(CreateDb("Kept"), KS_OK);
  ASSERT_EQ(CreateDb("Dropped"), KS_OK);
  ASSERT_EQ(CreateDb("Plain"), KS_OK);
  const std::string kept = ReadFile(Archive("Kept")), dropped = ReadFile(Archive("Dropped")),
                    plain = ReadFile(Archive("Plain"));
  for (const char* db : {"Kept", "Dropped", "Plain"}) ASSERT_NE(Logon(db), 0u);
  EXPECT_EQ(KSShutdownDB(server_, u"Kept"), KS_OK);
  EXPECT_EQ(KSDestroyDB(server_, u"Dropped"), KS_OK);
  EXPECT_EQ(KSShutdownDBEx(server_, u"Plain", 1, 0), KS_OK);
  EXPECT_EQ(KSShutdownDBEx(server_, u"Plain", 0, 0), KS_ERR_NO_SUCH_DATABASE);
  EXPECT_TRUE(Databases().empty());
  EXPECT_NE(ReadFile(Archive("Kept")), kept);
  EXPECT_EQ(ReadFile(Archive("Dropped")), dropped);
  EXPECT_EQ(ReadFile(Archive("Plain")), plain);
  EXPECT_EQ(KSShutdownDBEx(server_, u"Kept", 7, 0), KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(KSSaveDB(server_, u"Kept"), KS_ERR_NO_SUCH_DATABASE);
  EXPECT_EQ(ReadFile(ServerDir() + "/server.json").find("Kept"), std::string::npos);
}

TEST_F(ApiDatabaseTest, ClonesIntoANewArchiveButNeverOverAnExistingOne) {
  ASSERT_EQ(CreateDbFromText("Source", TextWith(kRecords)), KS_OK);
  ASSERT_EQ(KSCloneDB(server_, u"Source", u"Copy"), KS_OK);
  EXPECT_EQ(Databases(), (std::vector<std::string>{"Copy", "Source"}));
  EXPECT_EQ(ReadFile(Archive("Copy")), ReadFile(Archive("Source")));
  ASSERT_EQ(KSDestroyDB(server_, u"Copy"), KS_OK);
  EXPECT_EQ(KSCloneDB(server_, u"Source", u"Copy"), KS_ERR_ARCHIVE_EXISTS);
  EXPECT_EQ(KSCloneDB(server_, u"Source", u"Source"), KS_ERR_DATABASE_ONLINE);
  EXPECT_EQ(KSCloneDB(server_, u"Missing", u"Other"), KS_ERR_NO_SUCH_DATABASE);
  EXPECT_EQ(KSCloneDB(server_, u"Source", u"a/b"), KS_ERR_INVALID_NAME);
}

TEST_F(ApiDatabaseTest, MemoryUsageGrowsWithTheRecords) {
  ASSERT_EQ(CreateDb("Small"), KS_OK);
  ASSERT_EQ(CreateDbFromText("Larger", TextWith(kRecords)), KS_OK);
  const int32_t small = KSGetDBMemoryUsage(server_, u"Small");
  EXPECT_GT(small, 0);
  EXPECT_GT(KSGetDBMemoryUsage(server_, u"Larger"), small);
  EXPECT_EQ(KSGetDBMemoryUsage(server_, u"Missing"), 0);
}

TEST_F(ApiDatabaseTest, IntegrityReportsAndRepairs) {
  ASSERT_EQ(CreateDb("Clean"), KS_OK);
  EXPECT_EQ(Integrity("Clean", 0), "");
  const std::string broken =
      "R\t100\tCustomer\tname=Ann\n"
      "R\t101\tOrder\tcustomerP=999\n"
      "R\t102\tOrder\tcustomerP=101\n"
      "R\t103\tVipCustomer\tname=Ann\n"
      "R\t104\tOrder\tcustomerP=103\n";
  ASSERT_EQ(CreateDbFromText("Broken", TextWith(broken)), KS_OK);
  const std::string report = Integrity("Broken", 0);
  EXPECT_NE(report.find("record 101 (Order), field customerP: refers to missing record 999"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("record 102 (Order), field customerP: refers to record 101 of class Order"),
            std::string::npos);
  EXPECT_NE(report.find("index byName of Party: records 100 and 103"), std::string::npos);
  EXPECT_EQ(report.find("104"), std::string::npos) << "a subclass record is a valid target";
  EXPECT_EQ(Integrity("Broken", 0), report) << "level 0 changes nothing";
  const std::string repair = Integrity("Broken", -1);
  EXPECT_NE(repair.find("999 (repaired)"), std::string::npos) << repair;
  EXPECT_NE(repair.find("(not repaired)"), std::string::npos);
  const std::string after = Integrity("Broken", 0);
  EXPECT_EQ(after.find("customerP"), std::string::npos) << after;
  EXPECT_NE(after.find("byName"), std::string::npos);
  EXPECT_EQ(KSCheckDatabaseIntegrity(server_, u"Missing", 0), nullptr);
}

TEST_F(ApiDatabaseTest, RecordsOfClassesTheSchemaLacksAreKeptReportedAndRepaired) {
  ASSERT_EQ(CreateDbFromText("Source", TextWith(kRecords)), KS_OK);
  // The same schema name and version without the class VipCustomer, on another server.
  std::string lacking = SalesSchema("1.0");
  const std::string vip =
      R"({"name": "VipCustomer", "base": "Customer", "flags": 4, "fields": []})";
  lacking.replace(lacking.find(vip), vip.size(), R"({"name": "Spare"})");
  MakeServer("Other", true, {{"sales.json", lacking}});
  const KSHandle other = KSConnectServer(u"localhost", u"Other");
  ASSERT_NE(other, 0u);
  const KSHandle meta = KSSearchMeta(other, u"Sales", u"1.0");
  const std::string dump = home_ + "/Moved.dmp";
  WriteFile(dump, ReadFile(Archive("Source")));
  ASSERT_EQ(KSRestoreDBFromArchive(other, meta, U(dump).c_str()), KS_OK);
  const std::string unknown = "record 102: unknown class VipCustomer";
  EXPECT_EQ(N(KSCheckDatabaseIntegrity(other, u"Moved", 0)), unknown + "\n");
  ASSERT_EQ(KSShutdownDBEx(other, u"Moved", 0, 1), KS_OK);
  ASSERT_EQ(KSRestoreDBFromArchive(other, meta, U(dump).c_str()), KS_OK);
  EXPECT_EQ(N(KSCheckDatabaseIntegrity(other, u"Moved", 0)), unknown + "\n") << "kept by a save";
  EXPECT_EQ(N(KSCheckDatabaseIntegrity(other, u"Moved", -1)), unknown + " (repaired)\n");
  EXPECT_EQ(N(KSCheckDatabaseIntegrity(other, u"Moved", 0)), "");
  EXPECT_EQ(KSDisconnectServer(other), KS_OK);
}

TEST_F(ApiDatabaseTest, ListsRootAndThePersistentTransactions) {
  const std::string text =
      TextWith("T\tPlan A\t\t256\tfirst plan\nT\tChild\tPlan A\t256\t\nT\tPlan B\t\t256\t\\tx\n");
  ASSERT_EQ(CreateDbFromText("Plans", text), KS_OK);
  int32_t count = 0;
  EXPECT_EQ(Strings(KSGetAvailableTransactions(server_, u"Plans", 0, &count), count),
            (std::vector<std::string>{"Root", "Plan A", "Child", "Plan B"}));
  EXPECT_EQ(Strings(KSGetAvailableTransactions(server_, u"Plans", 1, &count), count),
            (std::vector<std::string>{"Root", "Plan A", "Plan B"}));
  EXPECT_EQ(KSGetAvailableTransactions(server_, u"Missing", 0, &count), nullptr);
  EXPECT_EQ(count, 0);
}

TEST_F(ApiDatabaseTest, EveryDatabaseFunctionRefusesBadHandles) {
  ASSERT_EQ(CreateDb("Shop"), KS_OK);
  const KSHandle meta = Meta("Sales", "1.0");
  const KSHandle stale = KSConnectServer(u"localhost", u"Test");
  ASSERT_EQ(KSDisconnectServer(stale), KS_OK);
  for (const KSHandle bad : {KSHandle{0}, stale, meta}) {
    int32_t count = 3;
    EXPECT_EQ(KSRestoreDBFromArchive(bad, meta, u"/x.dmp"), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSSaveDB(bad, u"Shop"), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSShutdownDB(bad, u"Shop"), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSShutdownDBEx(bad, u"Shop", 0, 0), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSDestroyDB(bad, u"Shop"), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSCreateEmptyDB(bad, meta, u"New", u"ENU"), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSCloneDB(bad, u"Shop", u"New"), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSSaveDBToAsciiFile(bad, u"Shop", u"/tmp/x"), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSCreateDBFromAsciiFile(bad, meta, u"New", u"/tmp/x"), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSCreateDBFromRDBMS(bad, meta, u"", u"/tmp/x", u"New"), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSEnableJournal(bad, u"Shop", u"/tmp/j"), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSDisableJournal(bad, u"Shop", u"/tmp/j"), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSGetDBMemoryUsage(bad, u"Shop"), 0);
    EXPECT_EQ(KSCheckDatabaseIntegrity(bad, u"Shop", 0), nullptr);
    EXPECT_EQ(KSGetAvailableTransactions(bad, u"Shop", 0, &count), nullptr);
    EXPECT_EQ(count, 0);
  }
  EXPECT_EQ(KSRestoreDBFromArchive(server_, server_, u"/x.dmp"), KS_ERR_INVALID_HANDLE)
      << "a connection is not a meta";
  EXPECT_EQ(KSCreateDBFromRDBMS(server_, server_, u"", u"/tmp/x", u"New"), KS_ERR_INVALID_HANDLE);
  EXPECT_EQ(Databases(), std::vector<std::string>{"Shop"});
}

}  // namespace
}  // namespace kestrel::test
