/* A small application of the installed Database API, in C:
 *   kestrel_client SERVER USER PASSWORD [--hold]
 * connects to SERVER on this host, lists its schemas with their online databases, logs USER
 * on to the first database it lists and looks a system class up there. Prints what it found;
 * on a failure prints the library's text for the status and exits 1. With --hold the session
 * stays open until standard input ends, so other clients can see it. */
#include <KestrelAPI.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* Texts of the command line as UTF-16 (ASCII is enough here); at most 127 characters. */
static const char16_t* Widen(const char* text, char16_t* buffer) {
  size_t i = 0;
  for (; text[i] != 0 && i < 127; ++i) buffer[i] = (char16_t)(unsigned char)text[i];
  buffer[i] = 0;
  return buffer;
}

/* Prints UTF-16 text, with '?' for what is not ASCII. */
static void Print(const char16_t* text) {
  for (; text != NULL && *text != 0; ++text) putchar(*text < 128 ? (int)*text : '?');
}

static int Fail(const char* what, KSStatus status) {
  printf("%s failed: %d ", what, (int)status);
  Print(KSFormatMessage(0, status, 0));
  putchar('\n');
  return 1;
}

int main(int argc, char** argv) {
  const int hold = argc == 5 && strcmp(argv[4], "--hold") == 0;
  if (argc != 4 && !hold) {
    fprintf(stderr, "usage: kestrel_client SERVER USER PASSWORD [--hold]\n");
    return 2;
  }
  char16_t server_name[128], user[128], password[128];
  KSStatus status = KSUseWideStrings(1);
  if (status != KS_OK) return Fail("KSUseWideStrings", status);
  const KSHandle server = KSConnectServer(u"localhost", Widen(argv[1], server_name));
  if (server == 0) return Fail("KSConnectServer", KSGetLastConnectError());

  int32_t schemas = 0;
  const KSHandle* metas = KSGetAvailableMetas(server, &schemas);
  printf("schemas: %d\n", (int)schemas);
  KSHandle logon_meta = 0;
  char16_t logon_database[128] = {0};
  for (int32_t i = 0; i < schemas; ++i) {
    printf("schema ");
    Print(KSGetMetaName(metas[i]));
    putchar(' ');
    Print(KSGetMetaVersion(metas[i]));
    putchar(':');
    int32_t count = 0;
    const char16_t* const* databases = KSGetAvailableDatabases(server, metas[i], &count);
    for (int32_t d = 0; d < count; ++d) {
      putchar(' ');
      Print(databases[d]);
      if (logon_meta == 0) {
        size_t n = 0;
        for (; databases[d][n] != 0 && n < 127; ++n) logon_database[n] = databases[d][n];
        logon_database[n] = 0;
        logon_meta = metas[i];
      }
    }
    putchar('\n');
  }
  if (logon_meta == 0) return Fail("finding a database", KS_ERR_NO_SUCH_DATABASE);

  const KSHandle session = KSCreateSession(server, Widen(argv[2], user),
                                           Widen(argv[3], password), logon_database,
                                           logon_meta, NULL);
  if (session == 0) return Fail("KSCreateSession", KSGetLastSessionError());
  const KSClassID users = KSGetClassID(session, u"SYSUser");
  printf("logged on to ");
  Print(logon_database);
  printf(" as %s: SYSUser is class %s\n", argv[2], users > 0 ? "known" : "unknown");
  if (hold) {
    fflush(stdout);
    while (getchar() != EOF) {
    }
  }

  if ((status = KSReleaseSession(session)) != KS_OK) return Fail("KSReleaseSession", status);
  if ((status = KSDisconnectServer(server)) != KS_OK) return Fail("KSDisconnectServer", status);
  return 0;
}
