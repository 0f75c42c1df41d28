#include "kestrel/api/TestSupport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "kestrel/engine/Text.h"

namespace kestrel::test {

std::u16string U(const std::string& text) { return ToUtf16(text); }
std::string N(const char16_t* text) { return text ? ToUtf8(text) : std::string(); }

std::vector<std::string> Strings(const char16_t* const* array, const int32_t& count) {
  std::vector<std::string> result;
  for (int32_t i = 0; i < count; ++i) result.push_back(N(array[i]));
  return result;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& contents) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << contents;
}

std::string SalesSchema(const std::string& version) {
  const std::string extra =
      version == "2.0" ? R"(,{"name": "Invoice", "fields": [{"name": "total", "type": 15}]})" : "";
  return R"({"name": "Sales", "version": ")" + version + R"(",
    "classes": [
      {"name": "Party", "flags": 1, "rootAccess": 1, "versionAccess": 0,
       "fields": [{"name": "name", "type": 9, "length": 40, "required": true}]},
      {"name": "Customer", "base": "Party", "rootAccess": 2, "versionAccess": 1,
       "fields": [{"name": "rating", "type": 10, "valueList": 1, "default": 1},
                  {"name": "creditLimit", "type": 15, "default": 1000.5},
                  {"name": "active", "type": 2, "default": true},
                  {"name": "code", "type": 9, "default": "C-1", "access": 0,
                   "versionAccess": 3}]},
      {"name": "Order", "flags": 18,
       "fields": [{"name": "number", "type": 3},
                  {"name": "date", "type": 6},
                  {"name": "customerP", "type": 11, "references": "Customer"},
                  {"name": "weight", "type": 5},
                  {"name": "lead", "type": 4},
                  {"name": "scan", "type": 16},
                  {"name": "tags", "type": 7},
                  {"name": "note", "type": 9}]},
      {"name": "VipCustomer", "base": "Customer", "flags": 4, "fields": []}
      )" +
         extra + R"(],
    "linkIndexes": [{"name": "ordersPV", "class": "Customer", "target": "Order",
                     "via": "customerP", "fields": ["number"]}],
    "globalIndexes": [{"name": "byName", "class": "Party", "fields": ["name"], "unique": true},
                      {"name": "byRating", "class": "Customer", "fields": ["rating", "name"]}],
    "valueLists": [{"id": 1, "values": {"1": "Good", "2": "Bad"}}],
    "services": [{"name": "Billing", "public": true, "rootAccess": 1, "versionAccess": 0},
                 {"name": "Audit", "public": false}],
    "signals": [{"name": "LowCredit", "class": "Customer",
                 "arguments": [{"description": "limit", "type": 15}]}]})";
}

std::string HrSchema() {
  return R"({"name": "Hr", "version": "1.0", "classes": [
      {"name": "Employee", "fields": [{"name": "name", "type": 9}]}]})";
}

void ApiTest::SetUp() {
  char pattern[] = "/tmp/kestrel-test-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  home_ = pattern;
  ::setenv("KESTREL_HOME", home_.c_str(), 1);
  ::setenv("VAZERIR_COMPUTERNAME", "TESTBOX", 1);
  KSUseWideStrings(1);
  MakeServer("Test", true,
             {{"sales1.json", SalesSchema("1.0")},
              {"sales2.json", SalesSchema("2.0")},
              {"hr.json", HrSchema()}});
}

void ApiTest::TearDown() {
  // Stops every server still served from this home so that its lock is released.
  for (const auto& entry : std::filesystem::directory_iterator(home_ + "/servers")) {
    const std::u16string name = U(entry.path().filename().string());
    const KSHandle h = KSConnectServer(u"localhost", name.c_str());
    if (h != 0) {
      KSCloseServer(h);
      KSDisconnectServer(h);
    }
  }
  std::filesystem::remove_all(home_);
}

std::string ApiTest::ServerDir(const std::string& name) const { return home_ + "/servers/" + name; }

void ApiTest::MakeServer(const std::string& name, bool running,
                         const std::vector<std::pair<std::string, std::string>>& metas) {
  const std::string dir = ServerDir(name);
  std::filesystem::create_directories(dir + "/metas");
  std::filesystem::create_directories(dir + "/databases");
  WriteFile(dir + "/server.json", R"({"name": ")" + name + R"(", "state": ")" +
                                      (running ? "running" : "stopped") + R"(", "databases": []})");
  for (const auto& [file, text] : metas) WriteFile(dir + "/metas/" + file, text);
}

KSHandle ApiTest::Connect(const std::string& name) {
  const std::u16string n = U(name);
  server_ = KSConnectServer(u"localhost", n.c_str());
  return server_;
}

KSHandle ApiTest::Meta(const std::string& name, const std::string& version) {
  return KSSearchMeta(server_, U(name).c_str(), U(version).c_str());
}

KSStatus ApiTest::CreateDb(const std::string& name, const std::string& schema,
                           const std::string& version) {
  return KSCreateEmptyDB(server_, Meta(schema, version), U(name).c_str(), u"ENU");
}

KSStatus ApiTest::CreateDbFromText(const std::string& name, const std::string& text,
                                   const std::string& schema, const std::string& version) {
  const std::string file = home_ + "/" + name + ".txt";
  WriteFile(file, text);
  return KSCreateDBFromAsciiFile(server_, Meta(schema, version), U(name).c_str(), U(file).c_str());
}

KSHandle ApiTest::Logon(const std::string& db, const std::string& user, const std::string& password,
                        const std::string& plan, const std::string& schema,
                        const std::string& version) {
  return KSCreateSession(server_, U(user).c_str(), U(password).c_str(), U(db).c_str(),
                         Meta(schema, version), U(plan).c_str());
}

std::vector<std::string> ApiTest::Databases(const std::string& schema, const std::string& version) {
  int32_t count = -1;
  const char16_t* const* names = KSGetAvailableDatabases(server_, Meta(schema, version), &count);
  return Strings(names, count);
}

}  // namespace kestrel::test
