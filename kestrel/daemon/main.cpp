// kestreld: serves every server of a home directory to any number of clients.
//
//   kestreld [--home DIR] [--listen HOST:PORT --tls-cert FILE --tls-key FILE --token-file FILE]
//
// Listens on DIR/kestreld.sock (mode 0600: the owning user only) and, with --listen, on a TCP
// port that takes TLS clients presenting the token. Runs in the foreground and logs to standard
// error. SIGTERM or SIGINT saves every modified database, removes the socket and exits 0. Exit
// status 1: a second daemon on the same home, or bad options.
#include <grpcpp/grpcpp.h>
#include <signal.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "kestrel/api/Remote.h"
#include "kestrel/daemon/Service.h"
#include "kestrel/engine/DaemonSocket.h"
#include "kestrel/engine/LockFile.h"
#include "kestrel/engine/ServerState.h"

namespace {

struct Options {
  std::string home;
  std::string listen, certificate, key, tokenFile;
};

int Fail(const std::string& message) {
  std::fprintf(stderr, "kestreld: %s\n", message.c_str());
  return 1;
}

bool ReadFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::stringstream s;
  s << in.rdbuf();
  text = s.str();
  return true;
}

// Empty when the options are sound, else what is wrong.
std::string Parse(int argc, char** argv, Options& options) {
  options.home = kestrel::KestrelHome();
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    std::string* value = arg == "--home"          ? &options.home
                         : arg == "--listen"      ? &options.listen
                         : arg == "--tls-cert"    ? &options.certificate
                         : arg == "--tls-key"     ? &options.key
                         : arg == "--token-file"  ? &options.tokenFile
                                                  : nullptr;
    if (value == nullptr) return "unknown option " + arg;
    if (++i == argc) return arg + " needs a value";
    *value = argv[i];
  }
  if (!options.listen.empty() &&
      (options.certificate.empty() || options.key.empty() || options.tokenFile.empty()))
    return "--listen needs --tls-cert, --tls-key and --token-file";
  return {};
}

// The token of the TCP listener, from a file that only its owner may read.
std::string ReadToken(const std::string& path, std::string& token) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !ReadFile(path, token)) return "cannot read the token file " + path;
  if ((info.st_mode & 077) != 0) return "the token file " + path + " must have mode 0600";
  while (!token.empty() && (token.back() == '\n' || token.back() == '\r')) token.pop_back();
  if (token.empty()) return "the token file " + path + " is empty";
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (const std::string error = Parse(argc, argv, options); !error.empty())
    return Fail(error + "\nusage: kestreld [--home DIR] [--listen HOST:PORT --tls-cert FILE "
                        "--tls-key FILE --token-file FILE]");
  std::string token;
  grpc::SslServerCredentialsOptions tls;
  if (!options.listen.empty()) {
    if (const std::string error = ReadToken(options.tokenFile, token); !error.empty()) return Fail(error);
    grpc::SslServerCredentialsOptions::PemKeyCertPair pair;
    if (!ReadFile(options.key, pair.private_key) || !ReadFile(options.certificate, pair.cert_chain))
      return Fail("cannot read the TLS certificate or key");
    tls.pem_key_cert_pairs.push_back(pair);
  }
  std::error_code error;
  std::filesystem::create_directories(options.home, error);
  // The library serves the home that the daemon serves.
  ::setenv("KESTREL_HOME", options.home.c_str(), 1);
  kestrel::LockFile lock;
  bool busy = false;
  if (!lock.Acquire(options.home + "/kestreld.lock", busy))
    return Fail(busy ? "another kestreld already serves " + options.home
                     : "cannot use the home directory " + options.home);

  // The signals are taken by sigwait below, never by the threads gRPC starts.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  kestrel::api::remote::ServeInProcess();
  const std::string socket = kestrel::DaemonSocket(options.home);
  std::filesystem::remove(socket, error);
  kestrel::daemon::Service service(token);
  grpc::ServerBuilder builder;
  builder.AddListeningPort("unix:" + socket, grpc::InsecureServerCredentials());
  if (!options.listen.empty()) builder.AddListeningPort(options.listen, grpc::SslServerCredentials(tls));
  builder.RegisterService(&service);
  // The socket is born with mode 0600 (the owning user alone): a client that finds it never
  // sees it with any other mode.
  const mode_t mask = ::umask(0177);
  std::unique_ptr<grpc::Server> server = builder.BuildAndStart();
  ::umask(mask);
  if (!server) return Fail("cannot listen on " + socket + (options.listen.empty() ? "" : " or " + options.listen));
  std::fprintf(stderr, "kestreld: serving %s on %s%s\n", options.home.c_str(), socket.c_str(),
               options.listen.empty() ? "" : (" and " + options.listen + " (TLS)").c_str());

  int received = 0;
  sigwait(&stopSignals, &received);
  std::fprintf(stderr, "kestreld: %s received, stopping\n", received == SIGTERM ? "SIGTERM" : "SIGINT");
  service.Stop();
  server->Shutdown(std::chrono::system_clock::now() + std::chrono::seconds(5));
  const bool saved = kestrel::daemon::SaveModifiedDatabases();
  std::filesystem::remove(socket, error);
  std::fprintf(stderr, "kestreld: stopped%s\n", saved ? "" : " (some databases could not be saved)");
  return 0;
}
