#include "kestrel/api/ApiState.h"

#include <algorithm>

namespace kestrel::api {

Results& ThreadResults() {
  thread_local Results results;
  return results;
}

std::string Narrow(const char16_t* text) { return text ? ToUtf8(text) : std::string(); }
std::u16string Wide(const char16_t* text) { return text ? std::u16string(text) : std::u16string(); }

Connection* LiveConnection(KSHandle server, KSStatus& status) {
  Connection* connection = GetState().connections.Get(server);
  status = connection == nullptr            ? KS_ERR_INVALID_HANDLE
           : !connection->server->Running() ? KS_ERR_SERVER_NOT_RUNNING
                                            : KS_OK;
  return status == KS_OK ? connection : nullptr;
}

Session* LiveSession(KSHandle handle, KSStatus& status) {
  Session* session = GetState().sessions.Get(handle);
  status = session == nullptr            ? KS_ERR_INVALID_HANDLE
           : !session->server->Running() ? KS_ERR_SERVER_NOT_RUNNING
           : !session->db->Online()      ? KS_ERR_NO_SUCH_DATABASE
                                         : KS_OK;
  return status == KS_OK ? session : nullptr;
}

int& GuardDepth() {
  thread_local int depth = 0;
  return depth;
}

void Notify(KSHandle target, int32_t kind, int32_t code, std::vector<EventValue> values) {
  State& state = GetState();
  if (state.events.IsRegistered(target)) state.events.Post(target, kind, code, std::move(values));
}

OpenTransaction* LiveTransaction(KSHandle transaction, KSStatus& status, Session** session) {
  State& s = GetState();
  OpenTransaction* t = s.transactions.Get(transaction);
  if (t == nullptr) {
    status = KS_ERR_INVALID_HANDLE;
    return nullptr;
  }
  Session* owner = LiveSession(t->session, status);
  if (owner == nullptr) return nullptr;
  if (session != nullptr) *session = owner;
  return t;
}

KSHandle AddTransaction(Session& session, KSHandle sessionHandle, KSHandle parent,
                        std::shared_ptr<kestrel::Transaction> engine) {
  State& s = GetState();
  auto entry = std::make_unique<OpenTransaction>();
  entry->session = sessionHandle;
  entry->parent = parent;
  entry->engine = std::move(engine);
  const KSHandle handle = s.transactions.Add(std::move(entry));
  if (handle == 0) return 0;
  session.transactions.push_back(handle);
  if (OpenTransaction* p = s.transactions.Get(parent)) p->children.push_back(handle);
  return handle;
}

void ReleaseTransaction(KSHandle transaction) {
  State& s = GetState();
  std::unique_ptr<OpenTransaction> t = s.transactions.Remove(transaction);
  if (!t) return;
  for (const KSHandle child : t->children) ReleaseTransaction(child);
  for (const KSHandle object : t->objects) s.objects.Remove(object);
  for (const KSHandle cursor : t->cursors) s.cursors.Remove(cursor);
  if (OpenTransaction* parent = s.transactions.Get(t->parent)) {
    auto& siblings = parent->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), transaction), siblings.end());
  }
  if (Session* session = s.sessions.Get(t->session)) {
    auto& all = session->transactions;
    all.erase(std::remove(all.begin(), all.end(), transaction), all.end());
  }
}

}  // namespace kestrel::api
