#include "kestrel/admin/Demo.h"

#include <filesystem>
#include <map>
#include <ostream>
#include <stdexcept>

#include "kestrel/engine/Database.h"
#include "kestrel/engine/Scenarios.h"
#include "kestrel/engine/Transaction.h"
#include "kestrel/engine/FileIO.h"
#include "kestrel/engine/SchemaReader.h"
#include "kestrel/engine/ServerState.h"
#include "kestrel/engine/Text.h"

namespace kestrel::admin {

namespace {

namespace fs = std::filesystem;

constexpr const char* kServer = "KestrelOS20";
constexpr int32_t kJanuary2026 = 1767225600;  // 2026-01-01 00:00 UTC
constexpr int32_t kDay = 86400;

std::string SalesSchema(bool withInvoices) {
  const std::string invoiceClass =
      R"(,
    {"name": "Invoice", "fields": [
      {"name": "number", "type": 3, "required": true},
      {"name": "orderP", "type": 11, "references": "Order"},
      {"name": "total", "type": 15},
      {"name": "paid", "type": 2, "default": false}]})";
  const std::string invoiceIndex =
      R"(,
    {"name": "invoicesPV", "class": "Order", "target": "Invoice", "via": "orderP",
     "fields": ["number"]})";
  return std::string(R"({
  "name": "Sales", "version": ")") +
         (withInvoices ? "2.0" : "1.0") + R"(",
  "classes": [
    {"name": "Party", "flags": 1, "fields": [
      {"name": "name", "type": 9, "length": 60, "required": true},
      {"name": "city", "type": 9, "length": 40}]},
    {"name": "Customer", "base": "Party", "fields": [
      {"name": "rating", "type": 10, "valueList": 1, "default": 1},
      {"name": "creditLimit", "type": 15, "default": 5000.0},
      {"name": "since", "type": 6}]},
    {"name": "Supplier", "base": "Party", "rootAccess": 1, "versionAccess": 0, "fields": [
      {"name": "leadTime", "type": 4}]},
    {"name": "Product", "fields": [
      {"name": "name", "type": 9, "length": 60, "required": true},
      {"name": "price", "type": 15},
      {"name": "stock", "type": 3, "default": 0},
      {"name": "supplierP", "type": 11, "references": "Supplier"}]},
    {"name": "Order", "fields": [
      {"name": "number", "type": 3, "required": true},
      {"name": "date", "type": 6},
      {"name": "customerP", "type": 11, "references": "Customer"},
      {"name": "productP", "type": 11, "references": "Product"},
      {"name": "quantity", "type": 3, "default": 1},
      {"name": "note", "type": 9, "length": 0, "access": 1, "versionAccess": 0}]},
    {"name": "OrderTotal", "flags": 2, "rootAccess": 0, "fields": [
      {"name": "amount", "type": 15}]})" +
         (withInvoices ? invoiceClass : "") + R"(
  ],
  "linkIndexes": [
    {"name": "ordersPV", "class": "Customer", "target": "Order", "via": "customerP",
     "fields": ["number"]},
    {"name": "productsPV", "class": "Supplier", "target": "Product", "via": "supplierP",
     "fields": ["name"]})" +
         (withInvoices ? invoiceIndex : "") + R"(
  ],
  "globalIndexes": [
    {"name": "byName", "class": "Party", "fields": ["name"], "unique": true},
    {"name": "byCity", "class": "Party", "fields": ["city", "name"]},
    {"name": "productByName", "class": "Product", "fields": ["name"], "unique": true},
    {"name": "orderByNumber", "class": "Order", "fields": ["number"], "unique": true}
  ],
  "valueLists": [{"id": 1, "values": {"1": "Prospect", "2": "Regular", "3": "Key account"}}],
  "services": [
    {"name": "Invoicing", "public": true, "rootAccess": 1, "versionAccess": 0},
    {"name": "Forecast", "public": true, "rootAccess": 0, "versionAccess": 1},
    {"name": "Audit", "public": false}
  ],
  "signals": [
    {"name": "LowStock", "class": "Product", "condition": "stock < limit",
     "arguments": [{"name": "limit", "description": "Lowest stock", "type": 3}]},
    {"name": "BigOrder", "class": "Order", "condition": "quantity > limit and customerP in customers",
     "arguments": [{"name": "limit", "description": "Largest quantity", "type": 3},
                   {"name": "customers", "description": "Customers", "type": 14}]},
    {"name": "ManyOrders", "class": "Customer", "condition": "ordersPV.Count() > limit",
     "arguments": [{"name": "limit", "description": "Most orders", "type": 3}]}
  ]
}
)";
}

const char* kStaffSchema = R"({
  "name": "Staff", "version": "1.0",
  "classes": [
    {"name": "Department", "fields": [{"name": "name", "type": 9, "length": 40, "required": true}]},
    {"name": "Employee", "fields": [
      {"name": "name", "type": 9, "length": 60, "required": true},
      {"name": "departmentP", "type": 11, "references": "Department"},
      {"name": "hired", "type": 6},
      {"name": "salary", "type": 15, "access": 0},
      {"name": "photo", "type": 16}]}
  ],
  "linkIndexes": [{"name": "staffPV", "class": "Department", "target": "Employee",
                   "via": "departmentP", "fields": ["name"]}],
  "globalIndexes": [{"name": "byName", "class": "Employee", "fields": ["name"]}]
}
)";

// Adds records to a database by field name.
class Filler {
 public:
  explicit Filler(Database& db) : db_(db) {}

  RecordID Add(const std::string& className, const std::map<std::string, Value>& fields) {
    const ClassDef* cls = db_.GetSchema().FindClass(className);
    if (cls == nullptr) throw std::logic_error("demo class missing: " + className);
    Record record{cls->id, std::vector<Value>(cls->allFields.size())};
    for (size_t i = 0; i < cls->allFields.size(); ++i)
      record.values[i] = cls->allFields[i].defaultValue;
    for (const auto& [name, value] : fields) {
      const int at = cls->FieldIndex(name);
      if (at < 0) throw std::logic_error("demo field missing: " + className + "." + name);
      record.values[static_cast<size_t>(at)] = value;
    }
    const RecordID id = db_.NewRecordId();
    db_.ApplyToBase(id, std::move(record), db_.NextSequence());
    return id;
  }

  // A persistent transaction; the engine adds its _DBTransaction row.
  void Scenario(const std::string& name, const std::string& parent, bool isVersion,
                const std::string& user, const std::string& description) {
    PersistentTransaction t;
    t.name = name;
    t.parent = parent;
    t.flags = txflag::kPersistent;
    t.description = ToUtf16(description);
    t.owner = ToUtf16(user);
    t.startDate = kJanuary2026 + 10 * kDay;
    t.isVersion = isVersion;
    if (CreateScenario(db_, std::move(t)) != KS_OK)
      throw std::logic_error("demo scenario refused: " + name);
  }

 private:
  Database& db_;
};

std::shared_ptr<Database> NewDatabase(const std::string& name, const SchemaPtr& schema,
                                      const std::string& archive) {
  auto db = Database::CreateEmpty(name, schema, archive);
  db->AddUser(u"anna", "anna", true);
  db->AddUser(u"ben", "ben", false);
  return db;
}

void FillSales(Database& db, int customers, bool withInvoices) {
  Filler f(db);
  const RecordID nordic =
      f.Add("Supplier",
            {{"name", u"Nordic Timber"}, {"city", u"Oslo"}, {"leadTime", int32_t{14 * kDay}}});
  const RecordID alpine = f.Add(
      "Supplier", {{"name", u"Alpine Metals"}, {"city", u"Graz"}, {"leadTime", int32_t{5 * kDay}}});
  const RecordID chair =
      f.Add("Product",
            {{"name", u"Chair"}, {"price", 49.5}, {"stock", int32_t{120}}, {"supplierP", nordic}});
  const RecordID table =
      f.Add("Product",
            {{"name", u"Table"}, {"price", 189.0}, {"stock", int32_t{3}}, {"supplierP", nordic}});
  const RecordID lamp =
      f.Add("Product",
            {{"name", u"Lamp"}, {"price", 24.99}, {"stock", int32_t{40}}, {"supplierP", alpine}});
  static const char16_t* names[] = {u"Ackermann GmbH", u"Berg & Söhne", u"Costa Ltd",
                                    u"Dubois SA",      u"Eriksen AS",   u"Fontana Srl"};
  static const char16_t* cities[] = {u"Hamburg", u"Wien", u"Lisboa", u"Lyon", u"Bergen", u"Milano"};
  const RecordID products[] = {chair, table, lamp};
  int32_t orderNumber = 1000;
  for (int i = 0; i < customers; ++i) {
    const RecordID customer = f.Add("Customer", {{"name", std::u16string(names[i % 6])},
                                                 {"city", std::u16string(cities[i % 6])},
                                                 {"rating", int32_t{1 + i % 3}},
                                                 {"creditLimit", 2500.0 * (i + 1)},
                                                 {"since", kJanuary2026 - (i + 1) * 90 * kDay}});
    for (int k = 0; k <= i % 3; ++k) {
      const RecordID order =
          f.Add("Order", {{"number", ++orderNumber},
                          {"date", kJanuary2026 + (i * 3 + k) * kDay},
                          {"customerP", customer},
                          {"productP", products[(i + k) % 3]},
                          {"quantity", int32_t{1 + (i + k) % 4}},
                          {"note", k == 0 ? Value{std::u16string(u"first order")} : Value{}}});
      if (withInvoices)
        f.Add("Invoice", {{"number", orderNumber + 5000},
                          {"orderP", order},
                          {"total", 100.0 + orderNumber % 7 * 10.0},
                          {"paid", int32_t{k % 2}}});
    }
  }
  f.Scenario("Budget 2027", "", true, "anna", "Sales plan for the coming year");
  f.Scenario("Optimistic", "Budget 2027", true, "anna", "Higher volumes in the north");
  f.Scenario("Draft", "", false, "ben", "Work in progress");
}

void FillStaff(Database& db) {
  Filler f(db);
  const RecordID sales = f.Add("Department", {{"name", u"Sales"}});
  const RecordID it = f.Add("Department", {{"name", u"IT"}});
  f.Add("Employee", {{"name", u"Clara Weiss"},
                     {"departmentP", sales},
                     {"hired", kJanuary2026 - 800 * kDay},
                     {"salary", 4200.0},
                     {"photo", Blob{0x89, 'P', 'N', 'G'}}});
  f.Add("Employee", {{"name", u"Jonas Berg"},
                     {"departmentP", it},
                     {"hired", kJanuary2026 - 120 * kDay},
                     {"salary", 3900.0}});
  f.Scenario("Reorganisation", "", true, "anna", "Merging two departments");
}

void Write(Database& db) {
  if (!db.Save()) throw std::runtime_error("cannot write " + db.ArchivePath());
}

}  // namespace

std::string DemoSchema(const std::string& file) {
  if (file == "sales-1.0.json") return SalesSchema(false);
  if (file == "sales-2.0.json") return SalesSchema(true);
  if (file == "staff-1.0.json") return kStaffSchema;
  throw std::invalid_argument("no demo schema " + file);
}

void SeedDemo(const std::string& home, std::ostream& out) {
  const std::string dir = ServerDirectory(home, kServer);
  bool existed = false;
  if (!CreateDirectoryExclusively(dir, existed))
    throw std::runtime_error(existed ? "the demo server exists already: " + dir
                                     : "cannot create " + dir);
  fs::create_directories(dir + "/metas");
  fs::create_directories(dir + "/databases");
  std::map<std::string, SchemaPtr> schemas;
  for (const char* file : {"sales-1.0.json", "sales-2.0.json", "staff-1.0.json"}) {
    const std::string path = dir + "/metas/" + file;
    if (!WriteFileAtomically(path, DemoSchema(file)))
      throw std::runtime_error("cannot write " + path);
    schemas[file] = ReadSchemaFile(path);
  }
  const SchemaPtr sales1 = schemas["sales-1.0.json"], sales2 = schemas["sales-2.0.json"],
                  staff = schemas["staff-1.0.json"];
  auto archive = [&](const std::string& name) { return dir + "/databases/" + name + ".dmp"; };

  ServerState state{kServer, true, {}};
  auto online = [&](const std::shared_ptr<Database>& db) {
    Write(*db);
    state.databases.push_back(
        {db->Name(), db->GetSchema().name, db->GetSchema().version, db->ArchivePath(), ""});
  };
  auto northwind = NewDatabase("Northwind", sales1, archive("Northwind"));
  FillSales(*northwind, 6, false);
  online(northwind);
  auto southwind = NewDatabase("Southwind", sales1, archive("Southwind"));
  FillSales(*southwind, 2, false);
  online(southwind);
  auto eastwind = NewDatabase("Eastwind", sales2, archive("Eastwind"));
  FillSales(*eastwind, 4, true);
  online(eastwind);
  auto personnel = NewDatabase("Personnel", staff, archive("Personnel"));
  FillStaff(*personnel);
  online(personnel);
  if (!WriteServerState(dir, state))
    throw std::runtime_error("cannot write " + dir + "/server.json");

  const std::string group = home + "/groups/Demo";
  fs::create_directories(group + "/Spring");
  auto westwind = NewDatabase("Westwind", sales1, group + "/Westwind.dmp");
  FillSales(*westwind, 5, false);
  Write(*westwind);
  auto archive2025 = NewDatabase("Archive2025", sales2, group + "/Archive2025.dmp");
  FillSales(*archive2025, 3, true);
  Write(*archive2025);
  auto spring = NewDatabase("Spring", staff, group + "/Spring/db.dmp");
  FillStaff(*spring);
  Write(*spring);

  out << "demo server " << kServer << " in " << dir << "\n"
      << "  Sales 1.0: Northwind, Southwind\n  Sales 2.0: Eastwind\n  Staff 1.0: Personnel\n"
      << "  users: system (empty password), anna (password anna, administrator), ben (password "
         "ben)\n"
      << "demo database group in " << group << "\n"
      << "  Westwind.dmp, Archive2025.dmp, Spring/\n";
}

}  // namespace kestrel::admin
