// Servers and metas through the C functions.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "kestrel/api/TestSupport.h"

namespace kestrel::test {
namespace {

using ApiServerTest = ApiTest;

TEST_F(ApiServerTest, ConnectsToTheLocalHostByAnyOfItsNames) {
  for (const char16_t* host : {u"localhost", u"LOCALHOST", u"127.0.0.1", u"TESTBOX", u"testbox"}) {
    const KSHandle h = KSConnectServer(host, u"Test");
    EXPECT_NE(h, 0u) << N(host);
    EXPECT_EQ(KSGetLastConnectError(), KS_OK);
    EXPECT_EQ(KSDisconnectServer(h), KS_OK);
  }
}

TEST_F(ApiServerTest, RefusesOtherHostsUnknownAndStoppedServers) {
  EXPECT_EQ(KSConnectServer(u"otherbox", u"Test"), 0u);
  EXPECT_EQ(KSGetLastConnectError(), KS_ERR_HOST_NOT_REACHABLE);
  EXPECT_EQ(KSConnectServer(u"localhost", u"Nowhere"), 0u);
  EXPECT_EQ(KSGetLastConnectError(), KS_ERR_NO_SUCH_SERVER);
  EXPECT_EQ(KSConnectServer(u"localhost", u"../Test"), 0u);
  EXPECT_EQ(KSGetLastConnectError(), KS_ERR_NO_SUCH_SERVER);
  MakeServer("Sleeping", false, {});
  EXPECT_EQ(KSConnectServer(u"localhost", u"Sleeping"), 0u);
  EXPECT_EQ(KSGetLastConnectError(), KS_ERR_SERVER_NOT_RUNNING);
  EXPECT_EQ(KSConnectServer(nullptr, u"Test"), 0u);
  EXPECT_EQ(KSGetLastConnectError(), KS_ERR_INVALID_ARGUMENT);
  WriteFile(ServerDir("Broken") + "/server.json", "{not json");
  EXPECT_EQ(KSConnectServer(u"localhost", u"Broken"), 0u);
  EXPECT_EQ(KSGetLastConnectError(), KS_ERR_SERVER_STATE);
}

TEST_F(ApiServerTest, ASecondProcessHoldingTheLockKeepsTheServerFromThisOne) {
  int ready[2], release[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(release), 0);
  const std::string lock = ServerDir() + "/.lock";
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Only async-signal-safe calls in the child.
    const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT, 0644);
    const char ok = (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) ? 'y' : 'n';
    if (::write(ready[1], &ok, 1) != 1) ::_exit(2);
    char c;
    if (::read(release[0], &c, 1) < 0) ::_exit(3);
    ::_exit(0);
  }
  char ok = 0;
  ASSERT_EQ(::read(ready[0], &ok, 1), 1);
  ASSERT_EQ(ok, 'y');
  EXPECT_EQ(Connect(), 0u);
  EXPECT_EQ(KSGetLastConnectError(), KS_ERR_SERVER_IN_USE);
  EXPECT_EQ(::write(release[1], "x", 1), 1);
  int status = 0;
  ::waitpid(child, &status, 0);
  for (int fd : {ready[0], ready[1], release[0], release[1]}) ::close(fd);
  EXPECT_NE(Connect(), 0u) << "the server is free once the other process has gone";
}

TEST_F(ApiServerTest, KestrelAdminInAnotherProcessCannotChangeAServerThisOneServes) {
  ASSERT_NE(Connect(), 0u);
  const std::string command = std::string(KESTREL_ADMIN) + " stop Test 2>" + home_ + "/err.txt";
  EXPECT_NE(std::system(command.c_str()), 0);
  EXPECT_NE(ReadFile(home_ + "/err.txt").find("server in use by another process"),
            std::string::npos);
  EXPECT_NE(ReadFile(ServerDir() + "/server.json").find("\"running\""), std::string::npos);
  ASSERT_EQ(KSCloseServer(server_), KS_OK);
  EXPECT_EQ(std::system((std::string(KESTREL_ADMIN) + " start Test >/dev/null").c_str()), 0)
      << "a closed server is free for the administrator";
  EXPECT_NE(Connect(), 0u);
}

TEST_F(ApiServerTest, ListsMetasSortedAndFindsThemByNameAndVersion) {
  ASSERT_NE(Connect(), 0u);
  int32_t count = 0;
  const KSHandle* metas = KSGetAvailableMetas(server_, &count);
  ASSERT_EQ(count, 3);
  std::vector<std::string> seen;
  for (int32_t i = 0; i < count; ++i)
    seen.push_back(N(KSGetMetaName(metas[i])) + " " + N(KSGetMetaVersion(metas[i])));
  EXPECT_EQ(seen, (std::vector<std::string>{"Hr 1.0", "Sales 1.0", "Sales 2.0"}));
  EXPECT_EQ(KSSearchMeta(server_, u"Sales", u"2.0"), metas[2])
      << "one handle per meta and connection";
  EXPECT_EQ(KSSearchMeta(server_, u"Sales", u"3.0"), 0u);
  EXPECT_EQ(KSSearchMeta(server_, u"sales", u"1.0"), 0u);
}

TEST_F(ApiServerTest, AReleasedMetaHandleIsRefusedAndANewOneIsGiven) {
  ASSERT_NE(Connect(), 0u);
  const KSHandle meta = Meta("Hr", "1.0");
  ASSERT_NE(meta, 0u);
  EXPECT_EQ(KSMetaSetUserData(meta, this), KS_OK);
  EXPECT_EQ(KSReleaseMeta(meta), KS_OK);
  EXPECT_EQ(KSReleaseMeta(meta), KS_ERR_INVALID_HANDLE);
  EXPECT_EQ(KSGetMetaName(meta), nullptr);
  EXPECT_EQ(KSMetaSetUserData(meta, this), KS_ERR_INVALID_HANDLE);
  const KSHandle again = Meta("Hr", "1.0");
  EXPECT_NE(again, 0u);
  EXPECT_NE(again, meta);
  EXPECT_EQ(N(KSGetMetaName(again)), "Hr");
}

TEST_F(ApiServerTest, ASchemaFileWithAnErrorIsNotServedButTheRestIs) {
  WriteFile(ServerDir() + "/metas/zbad.json", R"({"name": "Bad", "version": "1", "classes": [
      {"name": "A", "base": "Missing"}]})");
  WriteFile(ServerDir() + "/metas/zsyntax.json", R"({"name": )");
  ASSERT_NE(Connect(), 0u);
  int32_t count = 0;
  KSGetAvailableMetas(server_, &count);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(Meta("Bad", "1"), 0u);
}

TEST_F(ApiServerTest, ListsAllOrOnlyPublicServices) {
  ASSERT_NE(Connect(), 0u);
  const KSHandle meta = Meta("Sales", "1.0");
  int32_t count = 0;
  EXPECT_EQ(Strings(KSGetAvailableServices(server_, meta, &count, 0), count),
            (std::vector<std::string>{"Audit", "Billing"}));
  EXPECT_EQ(Strings(KSGetAvailableServices(server_, meta, &count, 1), count),
            (std::vector<std::string>{"Billing"}));
  EXPECT_EQ(KSGetAvailableServices(server_, Meta("Hr", "1.0"), &count, 0), nullptr);
  EXPECT_EQ(count, 0);
}

TEST_F(ApiServerTest, ClosingStopsTheServerUntilItIsStartedAgain) {
  ASSERT_NE(Connect(), 0u);
  const KSHandle other = KSConnectServer(u"localhost", u"Test");
  ASSERT_EQ(CreateDb("Shop"), KS_OK);
  const KSHandle session = Logon("Shop");
  ASSERT_NE(session, 0u) << "the logon sets lastLogin, an unsaved change";
  EXPECT_EQ(KSCloseServer(server_), KS_OK);
  EXPECT_NE(ReadFile(ServerDir() + "/server.json").find("\"stopped\""), std::string::npos);
  EXPECT_EQ(KSCloseServer(other), KS_ERR_SERVER_NOT_RUNNING);
  int32_t count = 5;
  EXPECT_EQ(KSGetAvailableMetas(other, &count), nullptr);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(KSGetClassID(session, u"Party"), -1);
  EXPECT_EQ(KSConnectServer(u"localhost", u"Test"), 0u);
  EXPECT_EQ(KSGetLastConnectError(), KS_ERR_SERVER_NOT_RUNNING);
  EXPECT_EQ(KSReleaseSession(session), KS_OK);
  EXPECT_EQ(KSDisconnectServer(other), KS_OK);
  EXPECT_EQ(KSDisconnectServer(server_), KS_OK);

  // What `kestrel-admin start` does: the state file says running again.
  std::string state = ReadFile(ServerDir() + "/server.json");
  state.replace(state.find("\"stopped\""), 9, "\"running\"");
  WriteFile(ServerDir() + "/server.json", state);
  ASSERT_NE(Connect(), 0u);
  EXPECT_EQ(Databases(), std::vector<std::string>{"Shop"}) << "online databases come back";
  EXPECT_NE(Logon("Shop"), 0u);
}

TEST_F(ApiServerTest, EveryServerFunctionRefusesZeroStaleAndForeignHandles) {
  ASSERT_NE(Connect(), 0u);
  const KSHandle meta = Meta("Sales", "1.0");
  const KSHandle stale = KSConnectServer(u"localhost", u"Test");
  ASSERT_EQ(KSDisconnectServer(stale), KS_OK);
  for (const KSHandle bad : {KSHandle{0}, stale, meta, KSHandle{0xFFFFFFFF}}) {
    int32_t count = 7;
    EXPECT_EQ(KSDisconnectServer(bad), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSCloseServer(bad), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSServerSetUserData(bad, this), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSGetAvailableMetas(bad, &count), nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(KSSearchMeta(bad, u"Sales", u"1.0"), 0u);
    EXPECT_EQ(KSGetAvailableServices(bad, meta, &count, 0), nullptr);
    EXPECT_EQ(KSGetAvailableDatabases(bad, meta, &count), nullptr);
  }
  for (const KSHandle bad : {KSHandle{0}, server_, KSHandle{0x2FFF0001}}) {
    EXPECT_EQ(KSGetMetaName(bad), nullptr);
    EXPECT_EQ(KSGetMetaVersion(bad), nullptr);
    EXPECT_EQ(KSReleaseMeta(bad), KS_ERR_INVALID_HANDLE);
  }
  EXPECT_EQ(KSServerSetUserData(server_, this), KS_OK);
}

TEST_F(ApiServerTest, StatusTextsAreGivenForEveryCodeAndUnknownOnes) {
  EXPECT_EQ(N(KSFormatMessage(0, KS_ERR_SERVER_IN_USE, 0)), "server in use by another process");
  EXPECT_EQ(N(KSFormatMessage(0, KS_END_OF_TABLE, 1)), "[1011] no more records");
  EXPECT_EQ(N(KSFormatMessage(0, 4242, 0)), "unknown status 4242");
  EXPECT_EQ(KSUseWideStrings(0), KS_ERR_NOT_SUPPORTED);
}

}  // namespace
}  // namespace kestrel::test
