// The library's process-wide state behind the C functions: the handle tables of every kind,
// the event dispatcher and the one lock that serialises the API functions. Every C function
// runs its body through Guard, which takes the lock and turns an unexpected exception into
// its failure answer, so no exception ever crosses the C boundary.
#pragma once

#include <map>
#include <mutex>
#include <string>

#include "kestrel/api/EventDispatcher.h"
#include "kestrel/api/HandleTable.h"
#include "kestrel/api/Results.h"
#include "kestrel/engine/Server.h"
#include "kestrel/engine/Text.h"

namespace kestrel::api {

struct Connection {
  ServerPtr server;
  void* userData = nullptr;
  std::map<const Schema*, KSHandle> metas;  // meta handles handed out on this connection
  Results results;
};

struct Meta {
  KSHandle connection = 0;
  ServerPtr server;
  SchemaPtr schema;
  void* userData = nullptr;
  Results results;
};

struct Session {
  ServerPtr server;
  DatabasePtr db;
  std::u16string user;
  std::string plan;  // empty: the actual plan, else the root transaction's name
  std::string language = "ENU";
  std::u16string clientHost;
  uint64_t logonOrder = 0;
  KSHandle rootTransaction = 0;
  void* userData = nullptr;
  Results results;
};

struct Transaction {
  KSHandle session = 0;
  std::string name;  // "Root" for the actual plan
  void* userData = nullptr;
  Results results;
};

struct State {
  std::recursive_mutex mutex;
  HandleTable<Connection> connections{1};
  HandleTable<Meta> metas{2};
  HandleTable<Session> sessions{3};
  HandleTable<Transaction> transactions{4};
  uint64_t nextLogon = 1;
  std::map<std::string, ServerPtr> servers;  // by directory, served by this process
  // Destroyed before the tables, so no callback runs while they go away.
  EventDispatcher events;
};

State& GetState();

// Results of calls that name no handle, per thread.
Results& ThreadResults();

// Null is the empty text.
std::string Narrow(const char16_t* text);
std::u16string Wide(const char16_t* text);

// The connection of a handle whose server still runs; `status` tells why not.
Connection* LiveConnection(KSHandle server, KSStatus& status);
// The session of a handle whose database is still online.
Session* LiveSession(KSHandle session, KSStatus& status);

template <typename R, typename F>
R Guard(R failure, F&& body) noexcept {
  try {
    std::lock_guard lock(GetState().mutex);
    return body();
  } catch (...) {
    return failure;
  }
}

// Sends the event to the handle's callback if one is registered.
void Notify(KSHandle target, int32_t kind, int32_t code, std::vector<std::u16string> texts = {});

}  // namespace kestrel::api
