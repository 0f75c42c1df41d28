// The import of a relational database (an SQLite file) through KSCreateDBFromRDBMS.
#include <sqlite3.h>

#include <filesystem>

#include "kestrel/api/TestSupport.h"

namespace kestrel::test {
namespace {

class ApiImportTest : public ShopTest {
 protected:
  // An SQLite file of suppliers and their items; the suppliers' "country" has no field.
  std::string Source() {
    const std::string path = home_ + "/shop.sqlite";
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, R"(
        CREATE TABLE supplier (id INTEGER PRIMARY KEY, name TEXT, country TEXT);
        CREATE TABLE item (name TEXT, stock INTEGER, supplierP INTEGER REFERENCES supplier(id));
        INSERT INTO supplier VALUES (11, 'Nordic', 'SE'), (12, 'Alpine', 'CH');
        INSERT INTO item VALUES ('Chair', 5, 11), ('Table', 2, 11), ('Lamp', NULL, 12);)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    return path;
  }

  KSStatus Import(const std::string& file, const std::string& report = "",
                  const std::string& name = "Imported") {
    // The object model passes (second, first): the report file, then the source.
    return KSCreateDBFromRDBMS(server_, Meta("Shop", "1.0"), U(report).c_str(), U(file).c_str(),
                               U(name).c_str());
  }

  std::string Archive(const std::string& name) const {
    return ServerDir() + "/databases/" + name + ".dmp";
  }
};

TEST_F(ApiImportTest, RelatedTablesBecomeLinkedRecordsAndTheUnknownColumnIsReported) {
  ASSERT_EQ(Import(Source()), KS_OK);
  EXPECT_EQ(Databases("Shop", "1.0"), (std::vector<std::string>{"Imported", "Shop"}));
  EXPECT_TRUE(std::filesystem::exists(Archive("Imported")));
  const KSHandle session = Logon("Imported", "system", "", "", "Shop", "1.0");
  ASSERT_NE(session, 0u) << "the user system";
  const KSHandle items =
      Cursor(KSGetRootTrn(session), u"Item", {u"name", u"stock", u"supplierP.name"});
  EXPECT_EQ(Rows(items, 3),
            (std::vector<std::string>{"Chair|5|Nordic", "Table|2|Nordic", "Lamp|0|Alpine"}));
  const KSHandle suppliers = Cursor(KSGetRootTrn(session), u"Supplier", {u"name"});
  ASSERT_EQ(KSGotoFirst(suppliers), KS_OK);
  const char16_t* name[] = {u"name"};
  const KSHandle linked = KSCreateChildCursor(KSGetCurrentRecordID(suppliers),
                                              KSGetRootTrn(session), u"itemsPV", u"", name, 1, 0);
  EXPECT_EQ(Rows(linked, 1), (std::vector<std::string>{"Chair", "Table"}))
      << "the references make the link index";
  const std::string report = ReadFile(ServerDir() + "/databases/Imported.import.txt");
  EXPECT_NE(report.find(": 5 records of 2 classes\n"), std::string::npos) << report;
  EXPECT_NE(report.find("table supplier, column country: no field of that name; not imported"),
            std::string::npos)
      << report;
}

TEST_F(ApiImportTest, TheReportGoesWhereTheSecondTextSays) {
  ASSERT_EQ(Import(Source(), home_ + "/report.txt"), KS_OK);
  EXPECT_NE(ReadFile(home_ + "/report.txt").find("column country"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(ServerDir() + "/databases/Imported.import.txt"));
}

TEST_F(ApiImportTest, BadOrMissingFilesAndTakenNamesCreateNothing) {
  const std::string source = Source();
  WriteFile(home_ + "/bad.sqlite", "just text, not a database");
  EXPECT_EQ(Import(home_ + "/missing.sqlite"), KS_ERR_FILE_NOT_FOUND);
  EXPECT_EQ(Import(home_ + "/bad.sqlite"), KS_ERR_IMPORT_SOURCE);
  EXPECT_EQ(Import(""), KS_ERR_FILE_NOT_FOUND);
  EXPECT_EQ(Import(source, "", "Shop"), KS_ERR_DATABASE_ONLINE);
  EXPECT_EQ(Import(source, "", "a/b"), KS_ERR_INVALID_NAME);
  EXPECT_EQ(Import(source, home_ + "/no/such/dir/report.txt"), KS_ERR_WRITE_FAILED);
  WriteFile(Archive("Saved"), "an archive of that name");
  EXPECT_EQ(Import(source, "", "Saved"), KS_ERR_ARCHIVE_EXISTS);
  EXPECT_EQ(Databases("Shop", "1.0"), std::vector<std::string>{"Shop"});
  EXPECT_FALSE(std::filesystem::exists(Archive("Imported")));
  EXPECT_FALSE(std::filesystem::exists(ServerDir() + "/databases/Imported.import.txt"));
  EXPECT_EQ(N(KSFormatMessage(0, KS_ERR_IMPORT_SOURCE, 0)),
            "the file is not a readable SQLite database");
}

}  // namespace
}  // namespace kestrel::test
