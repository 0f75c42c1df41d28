// Sessions: logon, language, connected users and the root transaction.
#include <algorithm>
#include <ctime>

#include "kestrel/api/ApiState.h"
#include "kestrel/api/Remote.h"
#include "kestrel/api/LastErrors.h"
#include "kestrel/api/LocalHost.h"

using namespace kestrel;
using namespace kestrel::api;

namespace {

KSHandle Logon(KSHandle server, const char16_t* user, const char16_t* password,
               const char16_t* database, KSHandle meta, const char16_t* rootTransaction) {
  State& s = GetState();
  KSStatus status;
  Connection* connection = LiveConnection(server, status);
  Meta* m = s.metas.Get(meta);
  if (connection == nullptr || m == nullptr || m->server != connection->server) {
    LastErrorOf(LastError::kSession) = connection == nullptr ? status : KS_ERR_INVALID_HANDLE;
    return 0;
  }
  const DatabasePtr db = connection->server->FindDatabase(Narrow(database));
  if (!db || db->SchemaRef() != m->schema) {
    LastErrorOf(LastError::kSession) = KS_ERR_NO_SUCH_DATABASE;
    return 0;
  }
  const RecordID userRecord = db->Authenticate(Wide(user), Narrow(password));
  if (userRecord == kNullRecord) {
    LastErrorOf(LastError::kSession) = KS_ERR_LOGON_FAILED;
    return 0;
  }
  auto session = std::make_unique<Session>();
  session->user = std::get<std::u16string>(db->FieldValue(userRecord, "name"));
  session->logonOrder = s.nextLogon++;
  // The root: the actual plan ("Root" or nothing) or a root scenario the user may see.
  std::shared_ptr<kestrel::Transaction> root;
  const std::string plan = Narrow(rootTransaction);
  LastErrorOf(LastError::kSession) = kestrel::Transaction::OpenRoot(
      db, plan, Actor{session->user, session->logonOrder}, root);
  if (LastErrorOf(LastError::kSession) != KS_OK) return 0;
  session->plan = plan == "Root" ? "" : plan;
  session->server = connection->server;
  session->db = db;
  session->clientHost = ToUtf16(ComputerName());
  const KSHandle handle = s.sessions.Add(std::move(session));
  Session* added = s.sessions.Get(handle);
  const KSHandle rootHandle = added ? AddTransaction(*added, handle, 0, std::move(root)) : 0;
  if (rootHandle == 0) {
    s.sessions.Remove(handle);
    LastErrorOf(LastError::kSession) = KS_ERR_INTERNAL;
    return 0;
  }
  added->rootTransaction = rootHandle;
  db->SetLastLogin(userRecord, static_cast<int32_t>(std::time(nullptr)));
  LastErrorOf(LastError::kSession) = KS_OK;
  return handle;
}

}  // namespace

extern "C" {

KSHandle KSCreateSession(KSHandle server, const char16_t* user, const char16_t* password,
                         const char16_t* database, KSHandle meta, const char16_t* rootTransaction) {
  KS_FORWARD(KSCreateSession, server, user, password, database, meta, rootTransaction);
  LastErrorOf(LastError::kSession) = KS_ERR_INTERNAL;
  return Guard<KSHandle>(
      0, [&] { return Logon(server, user, password, database, meta, rootTransaction); });
}

KSStatus KSGetLastSessionError(void) { return LastErrorOf(LastError::kSession); }

KSStatus KSReleaseSession(KSHandle session) {
  KS_FORWARD_STATUS(KSReleaseSession, session);
  return Guard<KSStatus>(KS_ERR_INTERNAL, [&] {
    State& s = GetState();
    Session* released = s.sessions.Get(session);
    if (released == nullptr) return KS_ERR_INVALID_HANDLE;
    if (released->db->Busy()) return KS_ERR_TRANSACTION_BUSY;
    // Children go with their parents; what is left are roots and transactions found by name.
    while (!released->transactions.empty()) ReleaseTransaction(released->transactions.back());
    while (!released->signals.empty()) ReleaseSignal(released->signals.back());
    s.sessions.Remove(session);
    s.events.Register(session, nullptr, nullptr, false);
    return KS_OK;
  });
}

KSStatus KSSessionSetUserData(KSHandle session, void* userData) {
  return SetUserData(GetState().sessions, session, userData);
}

KSStatus KSChangeSessionLanguage(KSHandle session, const char16_t* languageCode) {
  KS_FORWARD_STATUS(KSChangeSessionLanguage, session, languageCode);
  return Guard<KSStatus>(KS_ERR_INTERNAL, [&] {
    Session* s = GetState().sessions.Get(session);
    if (s == nullptr) return KS_ERR_INVALID_HANDLE;
    const std::string code = Narrow(languageCode);
    if (code.size() != 3) return KS_ERR_INVALID_LANGUAGE;
    for (const char c : code)
      if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return KS_ERR_INVALID_LANGUAGE;
    s->language = code;
    return KS_OK;
  });
}

const char16_t* const* KSGetConnectedUsers(KSHandle session, KSBool includeSelf, KSBool allPlans,
                                           int32_t* count) {
  KS_FORWARD(KSGetConnectedUsers, session, includeSelf, allPlans, count);
  if (count != nullptr) *count = 0;
  return Guard<const char16_t* const*>(nullptr, [&]() -> const char16_t* const* {
    KSStatus status;
    Session* self = LiveSession(session, status);
    if (self == nullptr || count == nullptr) return nullptr;
    State& s = GetState();
    std::vector<const Session*> others;
    for (KSHandle h : s.sessions.Handles()) {
      const Session* other = s.sessions.Get(h);
      if (other->db != self->db) continue;
      if (other == self && includeSelf == 0) continue;
      if (allPlans == 0 && other->plan != self->plan) continue;
      others.push_back(other);
    }
    std::sort(others.begin(), others.end(),
              [](const Session* a, const Session* b) { return a->logonOrder < b->logonOrder; });
    std::vector<std::u16string> texts;
    for (const Session* other : others)
      texts.push_back(other->user + u" (" + other->clientHost + u")");
    return self->results.Texts(std::move(texts), count);
  });
}

KSHandle KSGetRootTrn(KSHandle session) {
  KS_FORWARD(KSGetRootTrn, session);
  return Guard<KSHandle>(0, [&]() -> KSHandle {
    Session* s = GetState().sessions.Get(session);
    return s ? s->rootTransaction : 0;
  });
}

int32_t KSGetFlags(KSHandle transaction) {
  KS_FORWARD(KSGetFlags, transaction);
  return Guard<int32_t>(0, [&]() -> int32_t {
    State& s = GetState();
    OpenTransaction* t = s.transactions.Get(transaction);
    Session* session = t ? s.sessions.Get(t->session) : nullptr;
    if (session == nullptr) return 0;
    return session->db->JournalActive() ? KS_FLAG_JOURNAL_ACTIVE : 0;
  });
}

}  // extern "C"
