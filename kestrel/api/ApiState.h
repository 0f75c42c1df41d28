// The library's process-wide state behind the C functions: the handle tables of every kind,
// the event dispatcher and the one lock that serialises the API functions. Every C function
// runs its body through Guard, which takes the lock and turns an unexpected exception into
// its failure answer, so no exception ever crosses the C boundary.
//
// A session owns the handles of its transactions (its root among them) and their objects and
// cursors: releasing a transaction releases its child transactions, objects and cursors first,
// releasing the session releases them all, and its signals (Signals.h). Sort and condition
// handles belong to nobody: they live until released.
#pragma once

#include <algorithm>
#include <map>
#include <mutex>
#include <string>

#include "kestrel/api/EventDispatcher.h"
#include "kestrel/api/FetchBuffer.h"
#include "kestrel/api/HandleTable.h"
#include "kestrel/api/RemoteHandles.h"
#include "kestrel/api/Results.h"
#include "kestrel/api/Signals.h"
#include "kestrel/engine/Condition.h"
#include "kestrel/engine/Cursor.h"
#include "kestrel/engine/Server.h"
#include "kestrel/engine/Text.h"
#include "kestrel/engine/Transaction.h"

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

// A class trigger subscription: mask 1 inserts, 2 changes, 4 deletions.
struct Trigger {
  int32_t mask = 0;
  bool withValues = false;
};

struct Session {
  ServerPtr server;
  DatabasePtr db;
  std::u16string user;
  std::string plan;  // empty: the actual plan, else the root transaction's name
  std::string language = "ENU";
  std::u16string clientHost;
  uint64_t logonOrder = 0;  // also the session's identity for locks
  KSHandle rootTransaction = 0;
  std::vector<KSHandle> transactions;  // every open transaction handle, the root first
  std::map<ClassID, Trigger> triggers;
  std::vector<KSHandle> signals;  // instantiated signals, in instantiation order
  std::vector<KSSignalArgInfo> signalArgs;  // KSGetSignalArgsInfo
  void* userData = nullptr;
  Results results;
};

struct OpenTransaction {
  KSHandle session = 0;
  KSHandle parent = 0;  // 0: the root or a transaction found by name
  std::shared_ptr<kestrel::Transaction> engine;
  std::vector<KSHandle> children;
  std::vector<KSHandle> objects;
  std::vector<KSHandle> cursors;
  KSStatus startStatus = KS_OK;  // of this start, or of the last failed start of a child
  std::vector<KSErrorRecord> errors;  // findings of the last commit
  void* userData = nullptr;
  Results results;
};

// A record reached through a transaction (KSGetObject).
struct ObjectRef {
  KSHandle transaction = 0;
  RecordID id = kNullRecord;
  Results results;
};

// A cursor of a transaction with the rows it holds read ahead.
struct OpenCursor {
  OpenCursor(KSHandle t, std::unique_ptr<kestrel::Cursor> c)
      : transaction(t), engine(std::move(c)), buffer(engine->Fields()) {}
  KSHandle transaction = 0;
  std::unique_ptr<kestrel::Cursor> engine;
  FetchBuffer buffer;
  void* userData = nullptr;
  Results results;
};

// A condition (shared with the conditions made from it and the sort handles it filters).
struct ConditionRef {
  ConditionPtr condition;
};

struct State {
  std::recursive_mutex mutex;
  HandleTable<Connection> connections{1};
  HandleTable<Meta> metas{2};
  HandleTable<Session> sessions{3};
  HandleTable<OpenTransaction> transactions{4};
  HandleTable<ObjectRef> objects{5};
  HandleTable<OpenCursor> cursors{6};
  HandleTable<CursorShape> sorts{7};
  HandleTable<ConditionRef> conditions{8};
  HandleTable<SignalInstance> signals{9};
  uint64_t nextLogon = 1;
  int32_t nextSignalId = 1;
  std::map<std::string, ServerPtr> servers;  // by directory, served by this process
  // Destroyed before the tables, so no callback runs while they go away.
  EventDispatcher events;
  // Stopped first: it reads the tables and posts events.
  SignalThread signalThread;
};

// Inline: every call of the library asks for it, several times.
inline State& GetState() {
  static State state;
  return state;
}

// Results of calls that name no handle, per thread.
Results& ThreadResults();

// Null is the empty text.
std::string Narrow(const char16_t* text);
std::u16string Wide(const char16_t* text);

// The connection of a handle whose server still runs; `status` tells why not.
Connection* LiveConnection(KSHandle server, KSStatus& status);
// The session of a handle whose database is still online.
Session* LiveSession(KSHandle session, KSStatus& status);

// How many Guards the calling thread is inside: above 0 it holds the lock.
int& GuardDepth();

template <typename R, typename F>
R Guard(R failure, F&& body) noexcept {
  try {
    std::lock_guard lock(GetState().mutex);
    struct Depth {
      Depth() : depth(GuardDepth()) { ++depth; }
      ~Depth() { --depth; }
      int& depth;
    } depth;
    return body();
  } catch (...) {
    return failure;
  }
}

// Sends the event to the handle's callback if one is registered.
void Notify(KSHandle target, int32_t kind, int32_t code, std::vector<EventValue> values = {});

// The transaction of a handle whose session is live, with that session; `status` tells why
// not (an invalid handle, a database gone offline, a stopped server).
OpenTransaction* LiveTransaction(KSHandle transaction, KSStatus& status, Session** session = nullptr);
// Runs `body(transaction, session)` with the live transaction, answering the handle's status
// when there is none.
template <typename F>
KSStatus WithTransaction(KSHandle handle, F&& body) {
  return Guard<KSStatus>(KS_ERR_INTERNAL, [&]() -> KSStatus {
    KSStatus status;
    Session* session = nullptr;
    OpenTransaction* t = LiveTransaction(handle, status, &session);
    return t ? body(*t, *session) : status;
  });
}

// Runs body(entry) with an entry of `table` that names a live transaction (an object or a
// cursor); `failure` otherwise.
template <typename R, typename T, typename F>
R WithLive(HandleTable<T>& table, KSHandle handle, R failure, F&& body) {
  return Guard<R>(failure, [&]() -> R {
    T* entry = table.Get(handle);
    KSStatus status;
    return entry && LiveTransaction(entry->transaction, status) ? body(*entry) : failure;
  });
}

// The same for functions that answer a status: the status why the entry is not live.
template <typename T, typename F>
KSStatus WithLiveStatus(HandleTable<T>& table, KSHandle handle, F&& body) {
  return Guard<KSStatus>(KS_ERR_INTERNAL, [&]() -> KSStatus {
    T* entry = table.Get(handle);
    KSStatus status = KS_ERR_INVALID_HANDLE;
    return entry && LiveTransaction(entry->transaction, status) ? body(*entry) : status;
  });
}

// Stores the caller's pointer on an entry of `table` (for a remote handle, here, beside it):
// KS_OK or KS_ERR_INVALID_HANDLE.
template <typename T>
KSStatus SetUserData(HandleTable<T>& table, KSHandle handle, void* userData) {
  if (remote::IsRemote(handle)) {
    void** data = remote::UserDataOf(handle, table.Kind());
    if (data == nullptr) return KS_ERR_INVALID_HANDLE;
    *data = userData;
    return KS_OK;
  }
  return Guard<KSStatus>(KS_ERR_INTERNAL, [&] {
    T* entry = table.Get(handle);
    if (entry == nullptr) return KS_ERR_INVALID_HANDLE;
    entry->userData = userData;
    return KS_OK;
  });
}

// Releases an entry of `table` that its transaction lists in `owned` (its objects or cursors):
// KS_OK or KS_ERR_INVALID_HANDLE.
template <typename T>
KSStatus ReleaseOwned(HandleTable<T>& table, KSHandle handle,
                      std::vector<KSHandle> OpenTransaction::*owned) {
  return Guard<KSStatus>(KS_ERR_INTERNAL, [&] {
    const std::unique_ptr<T> released = table.Remove(handle);
    if (!released) return KS_ERR_INVALID_HANDLE;
    if (OpenTransaction* t = GetState().transactions.Get(released->transaction)) {
      std::vector<KSHandle>& list = t->*owned;
      list.erase(std::remove(list.begin(), list.end(), handle), list.end());
    }
    return KS_OK;
  });
}

// Adds a transaction handle to its session (and to its parent's children); 0 when the table
// is full.
KSHandle AddTransaction(Session& session, KSHandle sessionHandle, KSHandle parent,
                        std::shared_ptr<kestrel::Transaction> engine);
// Releases a transaction handle with its children, objects and cursors.
void ReleaseTransaction(KSHandle transaction);

}  // namespace kestrel::api
