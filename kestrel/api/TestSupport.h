// Test support for the Database API tests: a temporary $KESTREL_HOME with servers made from
// files, UTF-16 helpers and small wrappers over the C functions.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <cstdio>
#include <string>
#include <vector>

#include "kestrel/include/KestrelAPI.h"

namespace kestrel::test {

std::u16string U(const std::string& text);
std::string N(const char16_t* text);  // "" for null
// `count` is read when the function runs, after the call that fills it.
std::vector<std::string> Strings(const char16_t* const* array, const int32_t& count);

// API values for conditions and writes; `name` names the field written (null: none).
KSField TextField(const char16_t* text, const char16_t* name = nullptr);
KSField IntField(int32_t type, int32_t value, const char16_t* name = nullptr);
// A value as text: texts as they are (null ""), floats with %g, everything else as an integer.
std::string FieldText(const KSField& value);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& contents);

// Schema texts used by the tests: Sales 1.0 (customers, orders, a link index, a value list,
// services and a signal), Sales 2.0 (one more class) and Hr 1.0 (employees).
std::string SalesSchema(const std::string& version);
std::string HrSchema();

// Starts kestreld on the home with further options (its log in kestreld.log there) and waits
// until it listens.
pid_t StartDaemon(const std::string& home, std::vector<std::string> options = {});
// SIGTERM, then its exit status (128 + signal when a signal ended it).
int StopDaemon(pid_t pid);
// Starts kr_kestrel_commit_and_wait (CommitAndWait.cpp) on the journal with `inserts`; `out`
// reads its standard output. 0 when it could not be started.
pid_t StartCommitAndWait(const std::string& journal, int inserts, FILE*& out);

// A fixture with a fresh $KESTREL_HOME holding the server "Test" (running) with the three
// schemas; `server` is a connection to it once Connect() ran. With $KR_TEST_DAEMON set, a
// kestreld serves the home, so that every call goes through it.
class ApiTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string ServerDir(const std::string& name = "Test") const;
  // Writes servers/<name>/ with server.json and the given schema files.
  void MakeServer(const std::string& name, bool running,
                  const std::vector<std::pair<std::string, std::string>>& metas);
  KSHandle Connect(const std::string& name = "Test");
  KSHandle Meta(const std::string& name, const std::string& version);
  // Creates an empty database and answers its status.
  KSStatus CreateDb(const std::string& name, const std::string& schema = "Sales",
                    const std::string& version = "1.0");
  // Creates a database from database text (see the text format) and answers its status.
  KSStatus CreateDbFromText(const std::string& name, const std::string& text,
                            const std::string& schema = "Sales",
                            const std::string& version = "1.0");
  KSHandle Logon(const std::string& db, const std::string& user = "system",
                 const std::string& password = "", const std::string& plan = "",
                 const std::string& schema = "Sales", const std::string& version = "1.0");
  std::vector<std::string> Databases(const std::string& schema = "Sales",
                                     const std::string& version = "1.0");

  std::string home_;
  KSHandle server_ = 0;
  pid_t daemon_ = 0;
};

// A fixture with the database "Shop" of schema Shop 1.0 (see ShopSchema) holding suppliers 1
// (Nordic) and 2 (Alpine), items 3 (Chair, supplier 1), 4 (Table, supplier 1) and 5 (Lamp,
// protected), tag 6, archive record 7 (a read-only class; the class Secret is invisible), and
// the signals LowStock (unlocked, stock < limit), Supplied (supplierP in suppliers and name not
// matches pattern) and Sold (suppliers whose items all have no stock); `session` is logged on as
// system in the actual plan.
class ShopTest : public ApiTest {
 protected:
  void SetUp() override;

  KSHandle Start(KSHandle parent, int32_t flags = 0x800, const std::string& name = "t");
  // Writes one field through an object; the object's status or the write's.
  KSStatus SetText(KSHandle t, KSRecordID id, const char16_t* field, const char16_t* text);
  KSStatus SetInt(KSHandle t, KSRecordID id, const char16_t* field, int32_t type, int32_t value);
  // Reads one field through an object: "<missing>" / -99 when the record is not seen.
  std::string Text(KSHandle t, KSRecordID id, const char16_t* field);
  int32_t Int(KSHandle t, KSRecordID id, const char16_t* field);
  // A cursor on the class in `t` with the fields, index and sort handle; 0 when refused.
  KSHandle Cursor(KSHandle t, const char16_t* cls, std::vector<const char16_t*> fields,
                  const char16_t* index = u"", KSHandle sort = 0);
  // Every row of the cursor from the first on as "value|value|...", read with KSGotoFirst,
  // KSGetCurrentValues and KSGetNextRecord; "<status n>" ends the list when a read fails.
  std::vector<std::string> Rows(KSHandle cursor, size_t fields);
  // The error records of the transaction's last commit as (code, severity) pairs, read from
  // the records' bytes: the code in the second 32-bit word, the severity as 16 bits at byte 8.
  std::vector<std::pair<int32_t, int16_t>> Errors(KSHandle t);

  KSHandle session_ = 0;
  KSHandle root_ = 0;
};

std::string ShopSchema();

}  // namespace kestrel::test
