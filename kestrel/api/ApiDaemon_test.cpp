// The library through kestreld: the daemon's own behaviour and what its clients see when one
// of them, or the daemon, dies.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>

#include "kestrel/api/RemoteHandles.h"
#include "kestrel/api/TestSupport.h"

namespace kestrel::test {
namespace {

class ApiDaemonTest : public ApiTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    if (daemon_ == 0) daemon_ = StartDaemon(home_);
  }

  std::string Socket() const { return home_ + "/kestreld.sock"; }

  // A logon to a new database "Staff" (Hr 1.0) that holds the employee Ann, committed.
  KSHandle StaffWithAnn() {
    server_ = Connect();
    EXPECT_EQ(CreateDb("Staff", "Hr", "1.0"), KS_OK);
    const KSHandle session = Logon("Staff", "system", "", "", "Hr", "1.0");
    const KSHandle t = KSStartTransaction(KSGetRootTrn(session), 0x800, u"t");
    const char16_t* fields[] = {u"name"};
    const KSHandle cursor = KSCreateCursor(t, u"Employee", fields, 1, u"", 0);
    const KSField ann = TextField(u"Ann", u"name");
    KSRecordID id = 0;
    EXPECT_EQ(KSInsertNewRecord(cursor, &ann, 1, nullptr, &id), KS_OK);
    EXPECT_EQ(KSCommit(t, 0, 0, nullptr, 0), KS_OK);
    EXPECT_EQ(KSReleaseTransaction(t), KS_OK);
    return session;
  }
};

// Runs the command to its end: its exit status and everything it wrote on both streams.
std::pair<int, std::string> RunToEnd(const std::string& command) {
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return {-1, ""};
  std::string said;
  char buffer[512];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) said.append(buffer, n);
  const int status = ::pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), said};
}

// Polls `done` for up to five seconds.
template <typename F>
bool Eventually(F done) {
  for (int i = 0; i < 250; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return done();
}

TEST_F(ApiDaemonTest, OnlyTheOwnerMayUseTheSocketAndASecondDaemonIsRefused) {
  struct stat info {};
  ASSERT_EQ(::stat(Socket().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  const auto [status, said] = RunToEnd(std::string(KESTRELD) + " --home " + home_);
  EXPECT_EQ(status, 1) << said;
  EXPECT_NE(said.find("another kestreld already serves " + home_ + "\n"), std::string::npos) << said;
  EXPECT_NE(Connect(), 0u) << "the first daemon still serves";
}

TEST_F(ApiDaemonTest, SigtermSavesModifiedDatabasesRemovesTheSocketAndExitsZero) {
  const KSHandle session = StaffWithAnn();
  ASSERT_NE(session, 0u);
  const std::string archive = ServerDir() + "/databases/Staff.dmp";
  const std::string before = ReadFile(archive);

  EXPECT_EQ(StopDaemon(daemon_), 0);
  daemon_ = 0;
  EXPECT_FALSE(std::filesystem::exists(Socket()));
  EXPECT_NE(ReadFile(archive), before) << "the committed change was saved";
}

TEST_F(ApiDaemonTest, AKilledClientLeavesNoSessionBehind) {
  server_ = Connect();
  FILE* out = nullptr;
  const pid_t child = StartCommitAndWait(home_ + "/crash.jnl", 2, out);
  ASSERT_NE(child, 0);
  char line[256];
  bool waiting = false;
  std::string said;
  while (!waiting && std::fgets(line, sizeof line, out) != nullptr) {
    said += line;
    waiting = std::string(line) == "waiting\n";
  }
  std::fclose(out);
  ASSERT_TRUE(waiting) << said;

  const KSHandle session = Logon("Crash", "system", "", "", "Hr", "1.0");
  ASSERT_NE(session, 0u);
  int32_t count = 0;
  const auto users = [&] { return Strings(KSGetConnectedUsers(session, 1, 1, &count), count).size(); };
  EXPECT_EQ(users(), 2u) << "the other process's session is seen here";
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  EXPECT_TRUE(Eventually([&] { return users() == 1u; })) << "its session went with it";
}

std::atomic<int> lostEvents{0};

void CountLost(const KSEventRecord* event, void*) {
  if (event->kind == KS_EVENT_CONNECTION_LOST) ++lostEvents;
}

TEST_F(ApiDaemonTest, AKilledDaemonMakesCallsAnswerNotAvailableAndTellsTheSessions) {
  const KSHandle session = StaffWithAnn();
  ASSERT_NE(session, 0u);
  lostEvents = 0;
  ASSERT_EQ(KSRegisterEventCallback(session, CountLost, nullptr), KS_OK);
  const int32_t open = KSGetOpenHandleCount();

  ::kill(daemon_, SIGKILL);
  ::waitpid(daemon_, nullptr, 0);
  daemon_ = 0;
  EXPECT_TRUE(Eventually([] { return lostEvents.load() > 0; }));
  EXPECT_EQ(KSChangeSessionLanguage(session, u"ENU"), KS_ERR_SERVER_NOT_AVAILABLE);
  EXPECT_EQ(KSGetClassID(session, u"Employee"), -1);
  int32_t count = 7;
  EXPECT_EQ(KSGetTableNames(session, &count), nullptr);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(KSReleaseSession(session), KS_OK) << "what the daemon held is gone with it";
  EXPECT_LT(KSGetOpenHandleCount(), open);
  EXPECT_EQ(KSRegisterEventCallback(session, nullptr, nullptr), KS_ERR_INVALID_HANDLE);

  // The process stays the daemon's client: the server is not served here in its absence, and
  // a daemon started again serves it.
  EXPECT_EQ(KSConnectServer(u"localhost", u"Test"), 0u);
  EXPECT_EQ(KSGetLastConnectError(), KS_ERR_SERVER_NOT_AVAILABLE);
  daemon_ = StartDaemon(home_);
  const KSHandle again = KSConnectServer(u"localhost", u"Test");
  ASSERT_NE(again, 0u) << KSGetLastConnectError();
  EXPECT_TRUE(api::remote::IsRemote(again)) << "served by the daemon started again";
  EXPECT_EQ(KSDisconnectServer(again), KS_OK);
}

TEST_F(ApiDaemonTest, AFetchBufferHoldsItsRowsInTheClient) {
  const KSHandle session = StaffWithAnn();
  ASSERT_NE(session, 0u);
  const KSHandle t = KSStartTransaction(KSGetRootTrn(session), 0x800, u"more");
  const char16_t* fields[] = {u"name"};
  const KSHandle writer = KSCreateCursor(t, u"Employee", fields, 1, u"", 0);
  for (const char16_t* name : {u"Bob", u"Cid"}) {
    const KSField value = TextField(name, u"name");
    KSRecordID id = 0;
    ASSERT_EQ(KSInsertNewRecord(writer, &value, 1, nullptr, &id), KS_OK);
  }
  const KSHandle scan = KSCreateCursor(t, u"Employee", fields, 1, u"", 0);
  ASSERT_EQ(KSSetFetchBuffer(scan, 3), KS_OK);
  KSField value{};
  ASSERT_EQ(KSGetNextRecord(scan, &value), KS_OK);
  EXPECT_EQ(FieldText(value), "Ann");

  ::kill(daemon_, SIGKILL);
  ::waitpid(daemon_, nullptr, 0);
  daemon_ = 0;
  ASSERT_EQ(KSGetNextRecord(scan, &value), KS_OK) << "the three rows came in one reply";
  ASSERT_EQ(KSGetNextRecord(scan, &value), KS_OK);
  EXPECT_EQ(FieldText(value), "Cid");
  EXPECT_EQ(KSGetCurrentRecordPos(scan), 2);
  EXPECT_EQ(KSGetNextRecord(scan, &value), KS_ERR_SERVER_NOT_AVAILABLE);
}

// kestrel-admin's exit status and what it wrote (both streams) for the arguments.
std::pair<int, std::string> Admin(const std::string& arguments) {
  return RunToEnd(std::string(KESTREL_ADMIN) + " " + arguments);
}

TEST_F(ApiDaemonTest, KestrelAdminWorksThroughTheDaemon) {
  ASSERT_NE(StaffWithAnn(), 0u);
  const auto [listed, list] = Admin("list");
  EXPECT_EQ(listed, 0);
  EXPECT_NE(list.find("Test (running)\n"), std::string::npos) << list;
  EXPECT_NE(list.find("  schema Hr 1.0\n    database Staff\n"), std::string::npos)
      << "what the daemon serves now: " << list;

  const auto [checked, report] = Admin("check Test Staff");
  EXPECT_EQ(checked, 0);
  EXPECT_EQ(report, "no problems found\n");
  const std::string journal = home_ + "/staff.jnl";
  const auto [journaled, said] = Admin("journal on Test Staff " + journal);
  EXPECT_EQ(journaled, 0);
  EXPECT_EQ(said, "the journal of Staff is on in " + journal + "\n");
  const auto [missing, refusal] = Admin("check Test Nowhere");
  EXPECT_EQ(missing, 1);
  EXPECT_EQ(refusal, "kestrel-admin: no online database Nowhere\n");

  const auto [stopped, why] = Admin("stop Test");
  EXPECT_EQ(stopped, 1) << "the daemon holds the server";
  EXPECT_NE(why.find("kestreld serves it"), std::string::npos) << why;
}

// A daemon with a TLS listener on 127.0.0.1 (its own daemon, beside any on the home's socket),
// known to clients as the host LAB2.
class ApiDaemonTcpTest : public ApiTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    tls_ = home_ + "/tls";
    std::filesystem::create_directories(tls_);
    const std::string make = "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=kestrel-test"
                             " -addext subjectAltName=DNS:kestrel-test -keyout " + tls_ + "/key.pem -out " +
                             tls_ + "/cert.pem >/dev/null 2>&1";
    ASSERT_EQ(std::system(make.c_str()), 0);
    WriteFile(tls_ + "/token", "s3cret\n");
    ::chmod((tls_ + "/token").c_str(), 0600);
    address_ = "127.0.0.1:" + std::to_string(20000 + ::getpid() % 20000);
    if (daemon_ != 0) {
      EXPECT_EQ(StopDaemon(daemon_), 0);
    }
    daemon_ = StartDaemon(home_, {"--listen", address_, "--tls-cert", tls_ + "/cert.pem", "--tls-key",
                                  tls_ + "/key.pem", "--token-file", tls_ + "/token"});
  }
  void TearDown() override {
    ::unsetenv("KESTREL_CLIENT_CONFIG");
    ApiTest::TearDown();
  }

  // A client configuration naming LAB2 with the token file (a file that may not exist).
  void Configure(const std::string& config, const std::string& tokenFile) {
    WriteFile(home_ + "/" + config, R"({"hosts": {"lab2": {"address": ")" + address_ + R"(", "ca": ")" + tls_ +
                                        R"(/cert.pem", "token": ")" + tokenFile +
                                        R"(", "certificateName": "kestrel-test"}}})");
    ::setenv("KESTREL_CLIENT_CONFIG", (home_ + "/" + config).c_str(), 1);
  }

  std::string tls_, address_;
};

TEST_F(ApiDaemonTcpTest, OnlyATlsClientWithTheTokenIsServed) {
  WriteFile(home_ + "/wrong.token", "guess\n");
  Configure("wrong.json", home_ + "/wrong.token");
  EXPECT_EQ(KSConnectServer(u"LAB2", u"Test"), 0u);
  EXPECT_EQ(KSGetLastConnectError(), KS_ERR_LOGON_FAILED) << "a wrong token, refused as a wrong password";
  Configure("missing.json", home_ + "/no-such-file");
  EXPECT_EQ(KSConnectServer(u"LAB2", u"Test"), 0u);
  EXPECT_EQ(KSGetLastConnectError(), KS_ERR_LOGON_FAILED) << "no token";

  Configure("right.json", tls_ + "/token");
  const KSHandle lab2 = KSConnectServer(u"lab2", u"Test");
  ASSERT_NE(lab2, 0u) << ReadFile(home_ + "/kestreld.log");
  int32_t count = 0;
  EXPECT_NE(KSGetAvailableMetas(lab2, &count), nullptr);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(KSDisconnectServer(lab2), KS_OK);

  // A client that does not speak TLS gets no answer in its protocol.
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(static_cast<uint16_t>(std::stoi(address_.substr(address_.find(':') + 1))));
  peer.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&peer), sizeof peer), 0);
  const std::string preface = "PRI * HTTP/2.0\r\n\r\nSM\r\n\r\n";
  ASSERT_EQ(::write(fd, preface.data(), preface.size()), static_cast<ssize_t>(preface.size()));
  unsigned char answer[9] = {};
  const ssize_t n = ::read(fd, answer, sizeof answer);
  ::close(fd);
  EXPECT_FALSE(n == 9 && answer[3] == 0x04) << "no HTTP/2 settings frame for plain text";
  EXPECT_NE(ReadFile(home_ + "/kestreld.log").find("wrong or missing token"), std::string::npos);
}

TEST_F(ApiDaemonTcpTest, ATokenFileOthersMayReadIsRefused) {
  ::chmod((tls_ + "/token").c_str(), 0644);
  const std::string command = std::string(KESTRELD) + " --home " + home_ + "/other --listen " + address_ +
                              " --tls-cert " + tls_ + "/cert.pem --tls-key " + tls_ + "/key.pem --token-file " +
                              tls_ + "/token";
  const auto [status, said] = RunToEnd(command);
  EXPECT_EQ(status, 1) << said;
  EXPECT_NE(said.find("must have mode 0600"), std::string::npos) << said;
}

}  // namespace
}  // namespace kestrel::test
