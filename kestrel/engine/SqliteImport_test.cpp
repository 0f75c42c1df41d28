// The import of SQLite files: how tables, columns, values and foreign keys map onto a schema,
// and what the report tells about what did not map.
#include "kestrel/engine/SqliteImport.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "kestrel/engine/FileIO.h"
#include "kestrel/engine/SchemaReader.h"
#include "kestrel/engine/TestDirectory.h"

namespace kestrel {
namespace {

class SqliteImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    schema_ = ParseSchema(R"({"name": "I", "version": "1", "classes": [
        {"name": "Party", "flags": 1, "fields": [{"name": "name", "type": 9, "required": true}]},
        {"name": "Customer", "base": "Party", "fields": [
           {"name": "rating", "type": 3}, {"name": "since", "type": 6},
           {"name": "credit", "type": 15, "default": 100.5}, {"name": "active", "type": 2},
           {"name": "photo", "type": 16}, {"name": "level", "type": 7},
           {"name": "wait", "type": 4}]},
        {"name": "Order", "fields": [
           {"name": "number", "type": 3},
           {"name": "customerP", "type": 11, "references": "Customer"},
           {"name": "previousP", "type": 11, "references": "Order"}]},
        {"name": "Note", "fields": [{"name": "text", "type": 9}]}],
        "linkIndexes": [{"name": "ordersPV", "class": "Customer", "target": "Order",
                         "via": "customerP"}]})",
                          "i.json");
  }

  // An SQLite file made by running `sql`.
  std::string Source(const std::string& sql) {
    const std::string path = dir_ + "/source" + std::to_string(++files_) + ".sqlite";
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
        << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    return path;
  }

  KSStatus Import(const std::string& file) {
    db_ = std::make_shared<Database>("I", schema_, dir_ + "/i.dmp");
    report_ = ImportReport{};
    return ImportSqlite(file, *db_, report_);
  }

  // The records of a class, in ID order.
  std::vector<std::pair<RecordID, const Record*>> Of(const std::string& cls) const {
    std::vector<std::pair<RecordID, const Record*>> found;
    for (const auto& [id, record] : db_->Committed().records)
      if (record.classId == schema_->FindClass(cls)->id) found.emplace_back(id, &record);
    return found;
  }

  static Value At(const Record& record, const std::string& cls, const std::string& field,
                  const Schema& schema) {
    return record.values[static_cast<size_t>(schema.FindClass(cls)->FieldIndex(field))];
  }
  Value Field(const Record* record, const std::string& cls, const std::string& field) const {
    return At(*record, cls, field, *schema_);
  }

  bool Reported(const std::string& text) const {
    return std::any_of(report_.lines.begin(), report_.lines.end(),
                       [&](const std::string& line) { return line == text; });
  }
  std::string Lines() const {
    std::string all;
    for (const std::string& line : report_.lines) all += line + "\n";
    return all;
  }

  TestDirectory temp_{"kestrel-import"};
  const std::string dir_ = temp_.Path();
  int files_ = 0;
  SchemaPtr schema_;
  DatabasePtr db_;
  ImportReport report_;
};

TEST_F(SqliteImportTest, TablesColumnsAndForeignKeysMapByNameWithoutRegardToCase) {
  ASSERT_EQ(Import(Source(R"(
      CREATE TABLE customer (id INTEGER PRIMARY KEY, NAME TEXT, Rating INTEGER, fax TEXT);
      CREATE TABLE "ORDER" (no INTEGER PRIMARY KEY, number INTEGER,
                            customerP INTEGER REFERENCES customer(id),
                            previousP INTEGER REFERENCES "ORDER");
      INSERT INTO customer VALUES (10, 'Ann', 3, '555'), (20, 'Bo', NULL, NULL);
      INSERT INTO "ORDER" VALUES (7, 1, 20, NULL), (8, 2, 10, 7), (9, 3, NULL, 8);)")),
            KS_OK);
  const auto customers = Of("Customer");
  ASSERT_EQ(customers.size(), 2u);
  EXPECT_EQ(Field(customers[0].second, "Customer", "name"), Value{std::u16string(u"Ann")});
  EXPECT_EQ(Field(customers[0].second, "Customer", "rating"), Value{int32_t{3}});
  EXPECT_EQ(Field(customers[1].second, "Customer", "rating"), Value{}) << "NULL is null";
  EXPECT_EQ(Field(customers[1].second, "Customer", "credit"), Value{100.5}) << "the default";
  const auto orders = Of("Order");
  ASSERT_EQ(orders.size(), 3u);
  EXPECT_EQ(Field(orders[0].second, "Order", "customerP"), Value{customers[1].first});
  EXPECT_EQ(Field(orders[1].second, "Order", "customerP"), Value{customers[0].first});
  EXPECT_EQ(Field(orders[2].second, "Order", "customerP"), Value{});
  EXPECT_EQ(Field(orders[1].second, "Order", "previousP"), Value{orders[0].first})
      << "to the primary key of the table itself";
  EXPECT_EQ(Field(orders[2].second, "Order", "previousP"), Value{orders[1].first});
  EXPECT_EQ(report_.records, 5u);
  EXPECT_EQ(report_.classes, 2u);
  EXPECT_EQ(
      report_.lines,
      std::vector<std::string>{"table customer, column fax: no field of that name; not imported"})
      << "primary keys only identify rows";
}

TEST_F(SqliteImportTest, ValuesConvertByFieldTypeAndMisfitsAreLeftNullAndCounted) {
  ASSERT_EQ(Import(Source(R"(
      CREATE TABLE Customer (name TEXT, rating, since, credit, active, photo, level, wait);
      INSERT INTO Customer VALUES
        (42, 7.0, '2024-02-29 12:30:05', 3, 'TRUE', x'00ff', 4294967296, -5),
        ('b', 'high', '2024-02-29T12:30Z', 2.5, 0, 'text', -1, 60),
        ('c', 2147483648, '2024-02-30', 'x', 2, NULL, 5, 1.5),
        ('d', -3, 1700000000, NULL, 'no', NULL, NULL, NULL),
        ('e', NULL, '2024-02-29', NULL, NULL, NULL, NULL, NULL);)")),
            KS_OK);
  const auto rows = Of("Customer");
  ASSERT_EQ(rows.size(), 5u);
  auto field = [&](size_t row, const char* name) {
    return Field(rows[row].second, "Customer", name);
  };
  EXPECT_EQ(field(0, "name"), Value{std::u16string(u"42")}) << "numbers read as text";
  EXPECT_EQ(field(0, "rating"), Value{int32_t{7}}) << "a real without fraction";
  EXPECT_EQ(field(0, "since"), Value{int32_t{1709209805}});
  EXPECT_EQ(field(1, "since"), Value{int32_t{1709209800}});
  EXPECT_EQ(field(4, "since"), Value{int32_t{1709164800}});
  EXPECT_EQ(field(3, "since"), Value{int32_t{1700000000}});
  EXPECT_EQ(field(0, "credit"), Value{3.0});
  EXPECT_EQ(field(1, "credit"), Value{2.5});
  EXPECT_EQ(field(0, "active"), Value{int32_t{1}});
  EXPECT_EQ(field(2, "active"), Value{int32_t{1}}) << "any non-zero integer is true";
  EXPECT_EQ(field(0, "photo"), (Value{Blob{0, 255}}));
  EXPECT_EQ(field(1, "photo"), (Value{Blob{'t', 'e', 'x', 't'}}));
  EXPECT_EQ(field(3, "rating"), Value{int32_t{-3}});
  EXPECT_EQ(field(1, "wait"), Value{int32_t{60}});
  for (const auto& [row, name] : std::vector<std::pair<size_t, const char*>>{{1, "rating"},
                                                                             {2, "rating"},
                                                                             {2, "since"},
                                                                             {2, "credit"},
                                                                             {3, "active"},
                                                                             {0, "level"},
                                                                             {1, "level"},
                                                                             {2, "wait"}})
    EXPECT_EQ(field(row, name), Value{}) << row << " " << name;
  EXPECT_TRUE(
      Reported("table Customer, column rating: values that do not fit field rating "
               "(type 3), left null: 2 (first in row 2)"))
      << Lines();
  EXPECT_TRUE(
      Reported("table Customer, column level: values that do not fit field level "
               "(type 7), left null: 2 (first in row 1)"))
      << Lines();
  EXPECT_TRUE(
      Reported("table Customer, column since: values that do not fit field since "
               "(type 6), left null: 1 (first in row 3)"))
      << Lines();
}

TEST_F(SqliteImportTest, ReferencesThatCannotBeFollowedAreReportedAndLeftNull) {
  ASSERT_EQ(Import(Source(R"(
      CREATE TABLE Customer (name TEXT);
      CREATE TABLE Note (text TEXT, code INTEGER PRIMARY KEY);
      CREATE TABLE Elsewhere (k INTEGER PRIMARY KEY);
      CREATE TABLE "Order" (number INTEGER,
                            customerP INTEGER REFERENCES Customer,
                            previousP INTEGER REFERENCES Note(code),
                            a INTEGER, b INTEGER,
                            FOREIGN KEY (a, b) REFERENCES Elsewhere);
      INSERT INTO Customer VALUES ('Ann'), ('Bo'), ('Ann');
      INSERT INTO Note VALUES ('n', 1);
      INSERT INTO "Order" VALUES (1, 2, 1, 0, 0), (2, 9, 1, 0, 0), (3, 8, NULL, 0, 0);)")),
            KS_OK);
  const auto customers = Of("Customer");
  const auto orders = Of("Order");
  ASSERT_EQ(orders.size(), 3u);
  EXPECT_EQ(Field(orders[0].second, "Order", "customerP"), Value{customers[1].first})
      << "a table without a primary key is found by its rowid";
  EXPECT_EQ(Field(orders[1].second, "Order", "customerP"), Value{});
  EXPECT_EQ(Field(orders[0].second, "Order", "previousP"), Value{});
  EXPECT_EQ(report_.lines,
            (std::vector<std::string>{
                "table Elsewhere: no class of that name; not imported",
                "table Order: a foreign key of several columns (a, b) leads to Elsewhere; not "
                "imported",
                "table Order, column previousP: field previousP refers to class Order, but "
                "table Note holds class Note; references left null",
                "table Order, column a: no field of that name; not imported",
                "table Order, column b: no field of that name; not imported",
                "table Order, column customerP: references to no row, left null: 2 (first in "
                "row 2)"}));
}

TEST_F(SqliteImportTest, TablesOfNoClassOfSystemClassesAndAbstractClassesAreLeftOut) {
  ASSERT_EQ(Import(Source(R"(
      CREATE TABLE SYSUser (name TEXT, password TEXT);
      CREATE TABLE Party (name TEXT);
      CREATE TABLE Customer (rating INTEGER, ordersPV INTEGER);
      CREATE TABLE "Order" (customerP INTEGER, key TEXT,
                            previousP TEXT REFERENCES "Order"(key));
      INSERT INTO SYSUser VALUES ('eve', 'x');
      INSERT INTO Customer VALUES (1, 5);
      INSERT INTO "Order" VALUES (1, 'k', NULL), (2, 'k', 'k');)")),
            KS_OK);
  EXPECT_EQ(Of("Customer").size(), 1u);
  const auto orders = Of("Order");
  ASSERT_EQ(orders.size(), 2u);
  EXPECT_EQ(Field(orders[1].second, "Order", "previousP"), Value{orders[0].first});
  EXPECT_EQ(report_.lines,
            (std::vector<std::string>{
                "table Customer: no column fills the required field name",
                "table Customer, column ordersPV: field ordersPV is a link field; not imported",
                "table Order, column customerP: field customerP is a reference, but no foreign "
                "key leads from the column; not imported",
                "table Order, column key: no field of that name; not imported",
                "table Order, column key: values repeated (references lead to the first row "
                "that has them): 1 (first in row 2)",
                "table Party: class Party has no records of its own; not imported",
                "table SYSUser: class SYSUser is kept by the server; not imported"}))
      << Lines();
}

TEST_F(SqliteImportTest, TheClassListsOfTheImportAreHandedToTheIndexesAsALoadHandsThem) {
  ASSERT_EQ(Import(Source(R"(
      CREATE TABLE Note (text TEXT);
      CREATE TABLE Customer (id INTEGER PRIMARY KEY, name TEXT);
      INSERT INTO Note VALUES ('a'), ('b');
      INSERT INTO Customer VALUES (1, 'Ann'), (2, 'Bo'), (3, 'Cy');)")),
            KS_OK);
  Indexes& index = db_->Index();
  EXPECT_TRUE(index.HasMembers()) << "listed while the rows were read, not by a later walk";
  const ClassID customer = schema_->FindClass("Customer")->id;
  const ClassID note = schema_->FindClass("Note")->id;
  const std::vector<RecordID> customers = index.Members(customer);
  const std::vector<RecordID> notes = index.Members(note);
  EXPECT_EQ(customers.size(), 3u);
  EXPECT_EQ(notes.size(), 2u);
  index.Invalidate();
  EXPECT_EQ(index.Members(customer), customers) << "as built from the store";
  EXPECT_EQ(index.Members(note), notes);

  // The user added to the new database joins the lists handed over.
  DatabasePtr db;
  ImportReport report;
  ASSERT_EQ(CreateFromSqlite(Source("CREATE TABLE Note (text TEXT); INSERT INTO Note VALUES "
                                    "('x');"),
                             "I", schema_, dir_ + "/j.dmp", "", db, report),
            KS_OK);
  EXPECT_TRUE(db->Index().HasMembers());
  const RecordID system = db->FindUser(u"SYSTEM");
  ASSERT_NE(system, kNullRecord);
  EXPECT_EQ(db->Index().Members(schema_->FindClass("SYSUser")->id), std::vector<RecordID>{system});
  EXPECT_EQ(db->Index().Members(note).size(), 1u);
}

TEST_F(SqliteImportTest, ImportsIntoADatabaseWithRecordsListThemAllAndAFailedOneChangesNothing) {
  db_ = std::make_shared<Database>("I", schema_, dir_ + "/i.dmp");
  report_ = ImportReport{};
  ASSERT_EQ(ImportSqlite(Source("CREATE TABLE Note (text TEXT); INSERT INTO Note VALUES ('a');"),
                         *db_, report_),
            KS_OK);
  const ClassID note = schema_->FindClass("Note")->id;
  ASSERT_EQ(db_->Index().Members(note).size(), 1u);
  // A second import into the same database lists what the first one made too.
  ASSERT_EQ(ImportSqlite(Source("CREATE TABLE Note (text TEXT); INSERT INTO Note VALUES ('b');"),
                         *db_, report_),
            KS_OK);
  EXPECT_EQ(db_->Index().Members(note).size(), 2u);
  ASSERT_TRUE(WriteFileAtomically(dir_ + "/text.sqlite", "not a database, just some text\n"));
  EXPECT_EQ(ImportSqlite(dir_ + "/text.sqlite", *db_, report_), KS_ERR_IMPORT_SOURCE);
  EXPECT_EQ(db_->Index().Members(note).size(), 2u);
}

TEST_F(SqliteImportTest, BadOrMissingFilesAreRefusedAndImportNothing) {
  EXPECT_EQ(Import(dir_ + "/missing.sqlite"), KS_ERR_FILE_NOT_FOUND);
  ASSERT_TRUE(WriteFileAtomically(dir_ + "/text.sqlite", "not a database, just some text\n"));
  EXPECT_EQ(Import(dir_ + "/text.sqlite"), KS_ERR_IMPORT_SOURCE);
  ASSERT_TRUE(WriteFileAtomically(dir_ + "/empty.sqlite", ""));
  EXPECT_EQ(Import(dir_ + "/empty.sqlite"), KS_ERR_IMPORT_SOURCE);
  EXPECT_TRUE(db_->Committed().records.empty());
  EXPECT_EQ(Import(dir_), KS_ERR_FILE_NOT_FOUND) << "a directory";
}

TEST_F(SqliteImportTest, TheReportIsWrittenBesideTheArchiveOrWhereTheCallerSays) {
  const std::string source = Source(
      "CREATE TABLE Note (text TEXT, extra TEXT);"
      "INSERT INTO Note VALUES ('a', 'b');");
  DatabasePtr db;
  ImportReport report;
  ASSERT_EQ(CreateFromSqlite(source, "I", schema_, dir_ + "/i.dmp", "", db, report), KS_OK);
  EXPECT_NE(db->FindUser(u"system"), kNullRecord);
  std::string text;
  ASSERT_TRUE(ReadWholeFile(dir_ + "/i.import.txt", text));
  EXPECT_EQ(text, "imported from " + source +
                      ": 1 record of 1 class\ntable Note, column extra: no field of that name; "
                      "not imported\n");
  EXPECT_EQ(
      CreateFromSqlite(source, "I", schema_, dir_ + "/i.dmp", dir_ + "/no/dir/r.txt", db, report),
      KS_ERR_WRITE_FAILED);
}

}  // namespace
}  // namespace kestrel
