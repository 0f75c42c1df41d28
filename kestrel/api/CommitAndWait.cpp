// A client that the journal tests start as a second process and kill: on the server "Test" of
// $KESTREL_HOME it creates the database "Crash" (schema Hr 1.0), turns its journal on in
// JOURNAL, commits COUNT employees ("employee 1" ...), renames employee 1 to "renamed" and
// deletes employee 2, each in a commit of its own, then inserts "uncommitted" without
// committing and waits to be killed. After each commit it prints "committed <journal size>",
// before waiting "waiting"; a failure prints "failed <step> <status>" and exits with 1.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "kestrel/include/KestrelAPI.h"

namespace {

const char* journal = nullptr;
KSHandle session = 0;

void Check(bool ok, const char* step, KSStatus status = KS_OK) {
  if (ok) return;
  std::printf("failed %s %d\n", step, status);
  std::exit(1);
}

void Committed(KSHandle transaction) {
  const KSStatus status = KSCommit(transaction, 0, 0, nullptr, 0);
  Check(status == KS_OK, "commit", status);
  struct stat st {};
  Check(::stat(journal, &st) == 0, "stat");
  std::printf("committed %lld\n", static_cast<long long>(st.st_size));
  std::fflush(stdout);
}

KSHandle Started() {
  const KSHandle transaction = KSStartTransaction(KSGetRootTrn(session), 0x800, u"crash");
  Check(transaction != 0, "start");
  return transaction;
}

void InsertEmployee(KSHandle transaction, const std::u16string& name) {
  const char16_t* fields[] = {u"name"};
  const KSHandle cursor = KSCreateCursor(transaction, u"Employee", fields, 1, u"", 0);
  Check(cursor != 0, "cursor", KSGetLastCursorError());
  KSField value{};
  value.type = KS_TYPE_STRING;
  value.value.asString = name.c_str();
  KSRecordID id = -1;
  const KSStatus status = KSInsertNewRecord(cursor, &value, 1, nullptr, &id);
  Check(status == KS_OK, "insert", status);
}

}  // namespace

int main(int argc, char** argv) {
  Check(argc == 3, "arguments");
  journal = argv[1];
  const int count = std::atoi(argv[2]);
  KSUseWideStrings(1);
  const KSHandle server = KSConnectServer(u"localhost", u"Test");
  Check(server != 0, "connect", KSGetLastConnectError());
  const KSHandle meta = KSSearchMeta(server, u"Hr", u"1.0");
  KSStatus status = KSCreateEmptyDB(server, meta, u"Crash", u"ENU");
  Check(status == KS_OK, "create", status);
  std::u16string file;
  for (const char* c = journal; *c != 0; ++c) file.push_back(static_cast<char16_t>(*c));
  status = KSEnableJournal(server, u"Crash", file.c_str());
  Check(status == KS_OK, "journal", status);
  session = KSCreateSession(server, u"system", u"", u"Crash", meta, u"");
  Check(session != 0, "logon", KSGetLastSessionError());

  for (int i = 1; i <= count; ++i) {
    const KSHandle t = Started();
    std::u16string name = u"employee ";
    for (const char c : std::to_string(i)) name.push_back(static_cast<char16_t>(c));
    InsertEmployee(t, name);
    Committed(t);
  }
  const KSHandle t = Started();
  const char16_t* fields[] = {u"name"};
  const KSHandle cursor = KSCreateCursor(t, u"Employee", fields, 1, u"", 0);
  Check(cursor != 0 && KSGotoFirst(cursor) == KS_OK, "first");
  KSField renamed{};
  renamed.type = KS_TYPE_STRING;
  renamed.value.asString = u"renamed";
  status = KSSetCurrentValues(cursor, &renamed, 1);
  Check(status == KS_OK, "rename", status);
  Committed(t);
  Check(KSGoto(cursor, 1) == KS_OK, "second");
  status = KSDeleteCurrentRecord(cursor);
  Check(status == KS_OK, "delete", status);
  Committed(t);

  InsertEmployee(Started(), u"uncommitted");
  std::printf("waiting\n");
  std::fflush(stdout);
  for (;;) ::pause();
}
