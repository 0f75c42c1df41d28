// Transactions: starting, finding, releasing, committing (with progress on a worker thread)
// and rolling back, descriptions, errors, locks and user data.
#include <thread>

#include "kestrel/api/ApiNotices.h"
#include "kestrel/api/ApiState.h"
#include "kestrel/api/Remote.h"

using namespace kestrel;
using namespace kestrel::api;

namespace {

KSErrorRecord ToErrorRecord(const Finding& f) {
  return KSErrorRecord{f.record, f.code, f.severity, 0, f.cls, f.field};
}

KSStatus CommitNow(KSHandle handle, int32_t flags, int32_t reserved, const Progress& progress) {
  return WithTransaction(handle, [&](OpenTransaction& t, Session& session) -> KSStatus {
    if ((flags & ~1) != 0 || reserved != 0) return KS_ERR_INVALID_ARGUMENT;
    t.errors.clear();
    CommitOutcome out = t.engine->Commit((flags & 1) != 0, progress);
    for (const Finding& f : out.findings) t.errors.push_back(ToErrorRecord(f));
    if ((out.status == KS_OK || out.status == KS_COMMITTED_WITH_WARNINGS) && out.reachedPlan) {
      FireClassTriggers(session.db, out.plan, out.changes);
      NotifyRootTransaction(session.db, KS_NOTICE_ROOT_TRANSACTION_CHANGED, out.plan);
    }
    return out.status;
  });
}

}  // namespace

extern "C" {

KSStatus KSTransactionSetUserData(KSHandle transaction, void* userData) {
  return SetUserData(GetState().transactions, transaction, userData);
}

void* KSTransactionGetUserData(KSHandle transaction) {
  if (remote::IsRemote(transaction)) {
    void** data = remote::UserDataOf(transaction, GetState().transactions.Kind());
    return data ? *data : nullptr;
  }
  return Guard<void*>(nullptr, [&]() -> void* {
    OpenTransaction* t = GetState().transactions.Get(transaction);
    return t ? t->userData : nullptr;
  });
}

KSHandle KSStartTransaction(KSHandle parent, int32_t flags, const char16_t* name) {
  KS_FORWARD(KSStartTransaction, parent, flags, name);
  return Guard<KSHandle>(0, [&]() -> KSHandle {
    KSStatus status;
    Session* session = nullptr;
    OpenTransaction* p = LiveTransaction(parent, status, &session);
    if (p == nullptr) {
      if (OpenTransaction* known = GetState().transactions.Get(parent)) known->startStatus = status;
      return 0;
    }
    std::shared_ptr<kestrel::Transaction> child;
    KSStatus granted = KS_OK;
    p->startStatus = p->engine->Start(flags, Narrow(name), child, granted);
    if (p->startStatus != KS_OK) return 0;
    const KSHandle handle = AddTransaction(*session, p->session, parent, child);
    if (handle == 0) {
      std::vector<std::string> removed;
      if (child->Persistent()) child->Rollback(removed);
      p->startStatus = KS_ERR_INTERNAL;
      return 0;
    }
    GetState().transactions.Get(handle)->startStatus = granted;
    return handle;
  });
}

KSStatus KSGetStartTransactionError(KSHandle transaction) {
  KS_FORWARD_STATUS(KSGetStartTransactionError, transaction);
  return Guard<KSStatus>(KS_ERR_INTERNAL, [&] {
    const OpenTransaction* t = GetState().transactions.Get(transaction);
    return t ? t->startStatus : KS_ERR_INVALID_HANDLE;
  });
}

KSHandle KSFindTransaction(KSHandle session, const char16_t* name) {
  KS_FORWARD(KSFindTransaction, session, name);
  return Guard<KSHandle>(0, [&]() -> KSHandle {
    KSStatus status;
    Session* s = LiveSession(session, status);
    std::shared_ptr<kestrel::Transaction> found;
    if (s == nullptr || name == nullptr ||
        kestrel::Transaction::Find(s->db, Narrow(name), Actor{s->user, s->logonOrder}, found) !=
            KS_OK)
      return 0;
    return AddTransaction(*s, session, 0, std::move(found));
  });
}

KSStatus KSReleaseTransaction(KSHandle transaction) {
  KS_FORWARD_STATUS(KSReleaseTransaction, transaction);
  return Guard<KSStatus>(KS_ERR_INTERNAL, [&] {
    State& s = GetState();
    const OpenTransaction* t = s.transactions.Get(transaction);
    if (t == nullptr) return KS_ERR_INVALID_HANDLE;
    const Session* session = s.sessions.Get(t->session);
    if (session != nullptr && session->rootTransaction == transaction)
      return KS_ERR_INVALID_ARGUMENT;
    if (t->engine->Db()->Busy()) return KS_ERR_TRANSACTION_BUSY;
    ReleaseTransaction(transaction);
    return KS_OK;
  });
}

KSStatus KSRollback(KSHandle transaction) {
  KS_FORWARD_STATUS(KSRollback, transaction);
  return WithTransaction(transaction, [&](OpenTransaction& t, Session& session) -> KSStatus {
    std::vector<std::string> removedRoots;
    const KSStatus status = t.engine->Rollback(removedRoots);
    if (status != KS_OK) return status;
    t.errors.clear();
    for (const std::string& name : removedRoots)
      NotifyRootTransaction(session.db, KS_NOTICE_ROOT_TRANSACTION_REMOVED, name);
    return KS_OK;
  });
}

KSStatus KSCommit(KSHandle transaction, int32_t flags, int32_t reserved,
                  KSCommitProgressCallback callback, KSBool callbackFlag) {
  KS_FORWARD_STATUS(KSCommit, transaction, flags, reserved, callback, callbackFlag);
  const bool reports = callback != nullptr && callbackFlag != 0;
  const Progress progress = [&](int32_t percentage, const std::u16string& text, bool finished) {
    if (reports) callback(percentage, text.c_str(), finished ? 1 : 0, transaction);
  };
  // A thread that holds the lock already (a commit started from a progress callback) commits
  // itself: a worker would wait for that lock forever.
  if (!reports || GuardDepth() > 0) return CommitNow(transaction, flags, reserved, progress);
  KSStatus status = KS_ERR_INTERNAL;
  try {
    // The caller waits without the lock, so that the callback may call the library.
    std::thread worker([&] { status = CommitNow(transaction, flags, reserved, progress); });
    worker.join();
  } catch (...) {
    return KS_ERR_INTERNAL;
  }
  return status;
}

KSStatus KSSetDescription(KSHandle transaction, const char16_t* description) {
  KS_FORWARD_STATUS(KSSetDescription, transaction, description);
  return WithTransaction(transaction, [&](OpenTransaction& t, Session& session) -> KSStatus {
    const KSStatus status = t.engine->SetDescription(Wide(description));
    if (status == KS_OK && t.engine->IsRootScenario())
      NotifyRootTransaction(session.db, KS_NOTICE_ROOT_TRANSACTION_CHANGED, t.engine->Name());
    return status;
  });
}

const KSErrorRecord* KSGetLastErrors(KSHandle transaction, int32_t* count) {
  KS_FORWARD(KSGetLastErrors, transaction, count);
  if (count != nullptr) *count = 0;
  return Guard<const KSErrorRecord*>(nullptr, [&]() -> const KSErrorRecord* {
    const OpenTransaction* t = GetState().transactions.Get(transaction);
    if (t == nullptr || count == nullptr || t->errors.empty()) return nullptr;
    *count = static_cast<int32_t>(t->errors.size());
    return t->errors.data();
  });
}

KSStatus KSLockDatabase(KSHandle transaction, KSHandle object, int32_t mode) {
  KS_FORWARD_STATUS(KSLockDatabase, transaction, object, mode);
  return WithTransaction(transaction, [&](OpenTransaction& t, Session&) -> KSStatus {
    if (object != 0) return KS_ERR_INVALID_ARGUMENT;
    return t.engine->Lock(kNoClass, mode);
  });
}

KSStatus KSLockTable(KSHandle transaction, KSHandle object, int32_t mode,
                     const char16_t* className) {
  KS_FORWARD_STATUS(KSLockTable, transaction, object, mode, className);
  return WithTransaction(transaction, [&](OpenTransaction& t, Session& session) -> KSStatus {
    if (object != 0) return KS_ERR_INVALID_ARGUMENT;
    const ClassDef* cls = session.db->GetSchema().FindClass(Narrow(className));
    if (cls == nullptr) return KS_ERR_NO_SUCH_CLASS;
    return t.engine->Lock(cls->id, mode);
  });
}

}  // extern "C"
