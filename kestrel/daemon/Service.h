// The service kestreld offers: every KS call of every attached client, served by the library in
// this process.
//
// A client attaches first (Attach) with a random identity that its calls carry; its handles are
// its own: a handle it did not receive is refused like any invalid handle, and when its stream
// ends (the client exits, is killed or loses the connection) everything it holds is released
// (sessions with their transactions, which rolls their changes back, cursors and signals,
// metas, connections) and its event registrations removed. Clients that come over TCP must
// present the token; a wrong one is refused like a wrong password.
#pragma once

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "kestrel/daemon/kestrel.grpc.pb.h"
#include "kestrel/include/KestrelAPI.h"

namespace kestrel::daemon {

// One attached client.
struct Client {
  std::string id;
  std::string name;  // "pid@host (peer)", for the log
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<rpc::Event> events;  // to send, in order
  std::set<KSHandle> handles;     // handles of the library that belong to the client
  std::set<KSHandle> registered;  // handles whose events the client receives
};

class Service final : public rpc::Kestrel::Service {
 public:
  // `token`: what clients over TCP must present (empty: no TCP listener).
  explicit Service(std::string token);
  ~Service() override;

  grpc::Status Attach(grpc::ServerContext* context, const rpc::AttachRequest* request,
                      grpc::ServerWriter<rpc::Event>* writer) override;
  grpc::Status Call(grpc::ServerContext* context, const rpc::CallRequest* request,
                    rpc::CallReply* reply) override;
  grpc::Status RegisterEvents(grpc::ServerContext* context, const rpc::RegisterRequest* request,
                              rpc::RegisterReply* reply) override;

  // Ends every client's stream (their handles are released as they go).
  void Stop();

 private:
  std::shared_ptr<Client> Find(const std::string& id);
  void Release(Client& client);
  static void OnGlobalEvent(const KSEventRecord* event, void* service);

  std::string token_;
  std::mutex mutex_;
  std::map<std::string, std::shared_ptr<Client>> clients_;
  bool stopping_ = false;
};

// Serves one call of an attached client: the client's cursors put back where it shows them,
// then the function, its answer and the handles the call released. A malformed call (wrong
// arguments for the function) answers INVALID_ARGUMENT and changes nothing of the reply.
grpc::Status ServeCall(Client& client, const rpc::CallRequest& request, rpc::CallReply& reply);
// Releases everything the client holds (sessions with their transactions, which rolls their
// changes back, metas, connections) and its event registrations; answers the sessions released.
int ReleaseClient(Client& client);

// Saves every database with unsaved changes of every server this process serves, as a
// server's shutdown does, keeping the servers running for the next process; one line on
// standard error for each database that could not be saved. False when one could not.
bool SaveModifiedDatabases();

}  // namespace kestrel::daemon
