#include "kestrel/api/TestSupport.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "kestrel/engine/DaemonSocket.h"
#include "kestrel/engine/Text.h"

extern char** environ;

namespace kestrel::test {

std::u16string U(const std::string& text) { return ToUtf16(text); }
std::string N(const char16_t* text) { return text ? ToUtf8(text) : std::string(); }

std::vector<std::string> Strings(const char16_t* const* array, const int32_t& count) {
  std::vector<std::string> result;
  for (int32_t i = 0; i < count; ++i) result.push_back(N(array[i]));
  return result;
}

KSField TextField(const char16_t* text, const char16_t* name) {
  KSField field{};
  field.type = KS_TYPE_STRING;
  field.value.asString = text;
  field.name = name;
  return field;
}

KSField IntField(int32_t type, int32_t value, const char16_t* name) {
  KSField field{};
  field.type = type;
  field.value.asInteger = value;
  field.name = name;
  return field;
}

std::string FieldText(const KSField& value) {
  switch (value.type) {
    case KS_TYPE_STRING:
      return N(value.value.asString);
    case KS_TYPE_FLOAT:
    case KS_TYPE_CURRENCY: {
      char text[32];
      std::snprintf(text, sizeof text, "%g", value.value.asDouble);
      return text;
    }
    default:
      return std::to_string(value.value.asInteger);
  }
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

std::string ShopSchema() {
  return R"json({"name": "Shop", "version": "1.0", "classes": [
      {"name": "Supplier", "fields": [{"name": "name", "type": 9, "length": 20, "required": true}]},
      {"name": "Item", "protectedBy": "locked", "fields": [
         {"name": "name", "type": 9, "length": 10, "required": true},
         {"name": "stock", "type": 3},
         {"name": "kind", "type": 10, "valueList": 1},
         {"name": "locked", "type": 2},
         {"name": "code", "type": 9, "access": 0},
         {"name": "supplierP", "type": 11, "references": "Supplier"}]},
      {"name": "Tag", "fields": [{"name": "label", "type": 9}]},
      {"name": "Archive", "rootAccess": 0, "fields": [{"name": "note", "type": 9}]},
      {"name": "Secret", "rootAccess": 3, "fields": [{"name": "note", "type": 9}]}],
    "linkIndexes": [
      {"name": "itemsPV", "class": "Supplier", "target": "Item", "via": "supplierP",
       "fields": ["name"]},
      {"name": "taggedPV", "class": "Tag", "target": "Item", "fields": ["name"]}],
    "globalIndexes": [{"name": "itemByName", "class": "Item", "fields": ["name"], "unique": true}],
    "valueLists": [{"id": 1, "values": {"1": "Tool", "2": "Toy"}}],
    "signals": [
      {"name": "LowStock", "class": "Item", "condition": "stock < limit and locked = false",
       "arguments": [{"name": "limit", "description": "Lowest stock", "type": 3}]},
      {"name": "Supplied", "class": "Item",
       "condition": "supplierP in suppliers and name not matches pattern",
       "arguments": [{"name": "suppliers", "description": "Suppliers", "type": 14},
                     {"name": "pattern", "description": "Names left out", "type": 9}]},
      {"name": "Sold", "class": "Supplier", "condition": "every itemsPV (stock = 0)"}]})json";
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
  if (std::getenv("KR_TEST_DAEMON") != nullptr) daemon_ = StartDaemon(home_);
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
  if (daemon_ > 0) {
    EXPECT_EQ(StopDaemon(daemon_), 0) << "kestreld's exit status";
  }
  std::filesystem::remove_all(home_);
}

pid_t StartDaemon(const std::string& home, std::vector<std::string> options) {
  const std::string log = home + "/kestreld.log";
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (std::freopen(log.c_str(), "w", stderr) == nullptr) ::_exit(126);
    std::vector<std::string> args{KESTRELD, "--home", home};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    ::execv(KESTRELD, argv.data());
    ::_exit(127);
  }
  // A killed daemon's socket file may still be there: wait until a daemon answers on it.
  for (int i = 0; i < 500 && !DaemonAnswers(home); ++i) ::usleep(20000);
  EXPECT_TRUE(DaemonAnswers(home)) << ReadFile(log);
  return pid;
}

pid_t StartCommitAndWait(const std::string& journal, int inserts, FILE*& out) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return 0;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  std::string program = KESTREL_COMMIT_AND_WAIT, file = journal, count = std::to_string(inserts);
  char* argv[] = {program.data(), file.data(), count.data(), nullptr};
  pid_t child = 0;
  if (posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ) != 0) child = 0;
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeEnds[1]);
  out = ::fdopen(pipeEnds[0], "r");
  return child;
}

int StopDaemon(pid_t pid) {
  ::kill(pid, SIGTERM);
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
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

extern char** environ;

namespace kestrel::test {

void ShopTest::SetUp() {
  ApiTest::SetUp();
  WriteFile(ServerDir() + "/metas/shop.json", ShopSchema());
  ASSERT_NE(Connect(), 0u);
  ASSERT_EQ(CreateDbFromText("Shop",
                             "KESTREL-TEXT 1\nSCHEMA\tShop\t1.0\nNEXT\t100\n"
                             "R\t1\tSupplier\tname=Nordic\nR\t2\tSupplier\tname=Alpine\n"
                             "R\t3\tItem\tname=Chair\tstock=5\tsupplierP=1\n"
                             "R\t4\tItem\tname=Table\tstock=2\tsupplierP=1\n"
                             "R\t5\tItem\tname=Lamp\tlocked=1\n"
                             "R\t6\tTag\tlabel=new\nR\t7\tArchive\tnote=old\nEND\n",
                             "Shop", "1.0"),
            KS_OK);
  session_ = Logon("Shop", "system", "", "", "Shop", "1.0");
  ASSERT_NE(session_, 0u);
  root_ = KSGetRootTrn(session_);
}

KSHandle ShopTest::Start(KSHandle parent, int32_t flags, const std::string& name) {
  return KSStartTransaction(parent, flags, U(name).c_str());
}

namespace {

template <typename F>
KSStatus WithObject(KSHandle t, KSRecordID id, F&& f) {
  const KSHandle object = KSGetObject(t, id);
  if (object == 0) return KS_ERR_NO_SUCH_RECORD;
  const KSStatus status = f(object);
  KSReleaseObject(object);
  return status;
}

}  // namespace

KSStatus ShopTest::SetText(KSHandle t, KSRecordID id, const char16_t* field, const char16_t* text) {
  KSField value{};
  value.type = KS_TYPE_STRING;
  value.value.asString = text;
  value.name = field;
  return WithObject(t, id, [&](KSHandle o) { return KSSetValues(o, &value, 1); });
}

KSStatus ShopTest::SetInt(KSHandle t, KSRecordID id, const char16_t* field, int32_t type,
                          int32_t n) {
  KSField value{};
  value.type = type;
  value.value.asInteger = n;
  value.name = field;
  return WithObject(t, id, [&](KSHandle o) { return KSSetValues(o, &value, 1); });
}

std::string ShopTest::Text(KSHandle t, KSRecordID id, const char16_t* field) {
  std::string text = "<missing>";
  WithObject(t, id, [&](KSHandle o) {
    KSField value{};
    const KSStatus status = KSGetValues(o, &field, 1, &value);
    if (status == KS_OK) text = N(value.value.asString);
    return status;
  });
  return text;
}

int32_t ShopTest::Int(KSHandle t, KSRecordID id, const char16_t* field) {
  int32_t n = -99;
  WithObject(t, id, [&](KSHandle o) {
    KSField value{};
    const KSStatus status = KSGetValues(o, &field, 1, &value);
    if (status == KS_OK) n = value.value.asInteger;
    return status;
  });
  return n;
}

KSHandle ShopTest::Cursor(KSHandle t, const char16_t* cls, std::vector<const char16_t*> fields,
                          const char16_t* index, KSHandle sort) {
  return KSCreateCursor(t, cls, fields.data(), static_cast<int32_t>(fields.size()), index, sort);
}

std::vector<std::string> ShopTest::Rows(KSHandle cursor, size_t fields) {
  std::vector<std::string> rows;
  std::vector<KSField> values(fields + 1);
  auto row = [&] {
    std::string text;
    for (size_t i = 0; i < fields; ++i) text += (i ? "|" : "") + FieldText(values[i]);
    rows.push_back(text);
  };
  if (KSGotoFirst(cursor) != KS_OK) return rows;
  KSStatus status = KSGetCurrentValues(cursor, values.data());
  for (; status == KS_OK; status = KSGetNextRecord(cursor, values.data())) row();
  if (status != KS_NO_FURTHER_RECORD) rows.push_back("<status " + std::to_string(status) + ">");
  return rows;
}

std::vector<std::pair<int32_t, int16_t>> ShopTest::Errors(KSHandle t) {
  int32_t count = -1;
  const KSErrorRecord* records = KSGetLastErrors(t, &count);
  std::vector<std::pair<int32_t, int16_t>> errors;
  const auto* bytes = reinterpret_cast<const unsigned char*>(records);
  for (int32_t i = 0; i < count; ++i) {
    int32_t code;
    int16_t severity;
    std::memcpy(&code, bytes + 20 * i + 4, 4);
    std::memcpy(&severity, bytes + 20 * i + 8, 2);
    errors.emplace_back(code, severity);
  }
  return errors;
}

}  // namespace kestrel::test

// gRPC frees the OpenSSL state of its TLS channels on its own threads after the last channel
// is gone, which a process that exits right after a TLS test does not wait for.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:CRYPTO_zalloc\nleak:CRYPTO_strndup\n";
}
