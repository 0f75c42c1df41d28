#pragma once
// Reception of the Database API's events and commit progress.
//
// The library calls GlobalHandleAPIEventReception and
// GlobalHandleCommitProgressReception on a thread of its own. They only copy
// what they were given into a freshly allocated posted record (values, never
// pointers into the library's buffers: texts are copied as wide text) and
// post it, as message kAPIReceptionMessage, to the hidden reception window,
// with the manager in wParam and the record in lParam; an event's data is
// built and read through TKREventData (KRDataSet_CO_Events_Data.h). The console's thread,
// which owns the window and pumps its messages, runs
// APIMessageReceptionWndProc: the record's subscription (by key, or the
// default subscription for key 0) is looked up in the manager, and only when
// it is active the manager's DispatchAPIMessage hands the data on.
//
// Where things come to exist. The managers and the window are created only on
// the console's thread: by GetGlobalAPIEventReceptionManager,
// GetGlobalCommitProgressReceptionManager and ActivateDefaultSubscription,
// which the proxies call before they register a callback with the library
// (a session subscribes, a server activates the default subscription, a
// transaction subscribes before its commit). The callbacks never create
// them: they look them up, and an event arriving while no manager or window
// exists is dropped without allocating anything.
//
// Records are freed in every case: after dispatch, when dropped for an
// inactive subscription or for a manager that no longer exists, when
// posting fails, and when they are still queued as the window is destroyed
// (the window class's posted-record cleanup).
//
// Keys are IKRProxy pointers, uncounted: a session or server proxy for the
// API event manager, a transaction proxy for the commit-progress manager (the
// pointer the transaction stores with KSTransactionSetUserData; its object
// implements TKRCommitProgressReceiver). A proxy unsubscribes before it goes.
// A manager keeps every subscription record it ever looked up until it is
// destroyed; looking up an unknown key creates an inactive record.
//
// Module finalization (FinalizeAPIEventReception, also run at exit) destroys
// the API event manager first, then the commit-progress manager; the last
// manager to go destroys the window.

#include <cstdint>
#include <string>
#include <unordered_map>

#include "kestrel/include/KestrelAPI.h"
#include "objectmodel/KRDataSet_CO_Interfaces.h"
#include "platform/com/Variant.h"
#include "platform/text/Exception.h"
#include "platform/win32/Messages.h"

inline constexpr UINT kAPIReceptionMessage = 0x8FFF;
inline constexpr const char* kAPIReceptionWindowClass = "_TKRAPIMessageReceptionWindow";

// The reception window's class could not be registered with its procedure,
// or its window could not be created.
KR_DECLARE_EXCEPTION(EKRAPIEventReceptionError, Exception);

using TKRSubscriptionKey = IKRProxy*;

struct TKRSubscription {
  TKRSubscriptionKey Key = nullptr;
  bool Active = false;
};

// What the commit-progress manager calls on a transaction's object, on the
// console's thread.
class TKRCommitProgressReceiver {
 public:
  virtual void CommitProgressCallback(int32_t percentage, const std::u16string& text,
                                      bool finished) = 0;

 protected:
  ~TKRCommitProgressReceiver() = default;
};

// A manager of subscriptions; construct and destroy on the console's thread.
// Constructing one ensures the window and counts one more live manager.
class TKRAPIMessageReceptionManager {
 public:
  virtual ~TKRAPIMessageReceptionManager();
  TKRAPIMessageReceptionManager(const TKRAPIMessageReceptionManager&) = delete;
  TKRAPIMessageReceptionManager& operator=(const TKRAPIMessageReceptionManager&) = delete;

  // Hands the data of a message whose subscription is active to its target.
  virtual void DispatchAPIMessage(TKRSubscriptionKey key, OleVariant& data) = 0;

  // The record for the key, created inactive when missing.
  TKRSubscription& GetSubscription(TKRSubscriptionKey key);
  // Activates an inactive subscription (ActivateSubscription, then marked
  // active); nothing when it is active. A null key is refused.
  void Subscribe(TKRSubscriptionKey key);
  // Deactivates an active subscription (DeactivateSubscription, then marked
  // inactive); nothing when it is inactive or unknown.
  void Unsubscribe(TKRSubscriptionKey key);
  bool IsSubscribed(TKRSubscriptionKey key) const;

 protected:
  TKRAPIMessageReceptionManager();

  virtual void ActivateSubscription(TKRSubscription& subscription) = 0;
  virtual void DeactivateSubscription(TKRSubscription& subscription) = 0;

 private:
  std::unordered_map<TKRSubscriptionKey, TKRSubscription> FSubscriptions;
};

// Events for servers and sessions. Activating registers
// GlobalHandleAPIEventReception for the key proxy's handle (a proxy that
// gets no handle cannot subscribe: EKRAPIEventReceptionError); deactivating
// unregisters it when the proxy still has a handle. Dispatch calls the
// proxy's HandleAPIEvent (the default subscription's proxy for key 0).
class TKRAPIEventReceptionManager : public TKRAPIMessageReceptionManager {
 public:
  TKRAPIEventReceptionManager() = default;
  void DispatchAPIMessage(TKRSubscriptionKey key, OleVariant& data) override;

 protected:
  void ActivateSubscription(TKRSubscription& subscription) override;
  void DeactivateSubscription(TKRSubscription& subscription) override;
};

// Commit progress for read-write transactions. Subscribing registers nothing
// (the callback is passed to the commit itself). Dispatch reads [0] as
// integer, [1] as text, [2] as boolean and calls the key's
// CommitProgressCallback.
class TKRCommitProgressReceptionManager : public TKRAPIMessageReceptionManager {
 public:
  TKRCommitProgressReceptionManager() = default;
  void DispatchAPIMessage(TKRSubscriptionKey key, OleVariant& data) override;

 protected:
  void ActivateSubscription(TKRSubscription&) override {}
  void DeactivateSubscription(TKRSubscription&) override {}
};

// The process-wide managers, created on first use (console's thread only).
TKRAPIEventReceptionManager& GetGlobalAPIEventReceptionManager();
TKRCommitProgressReceptionManager& GetGlobalCommitProgressReceptionManager();
// The managers if they exist; never create them (any thread).
TKRAPIEventReceptionManager* FindGlobalAPIEventReceptionManager();
TKRCommitProgressReceptionManager* FindGlobalCommitProgressReceptionManager();
// Destroys the API event manager, then the commit-progress manager.
void FinalizeAPIEventReception();

// The receiver of the global (server-level) events, checked for messages with
// key 0. ActivateDefaultSubscription ensures the API event manager and the
// window on the calling (console's) thread, then stores the receiver,
// uncounted, and marks the subscription active; call it before registering
// the global callback with the library.
TKRSubscription& GetDefaultSubscription();
void ActivateDefaultSubscription(IKRProxy* receiver);
void DeactivateDefaultSubscription();

// The reception window, created on first use: a class of that name that the
// module registered with another procedure is replaced first.
HWND GetAPIMessageReceptionWindow();
// The window if it exists, else null; never creates it (any thread).
HWND FindAPIMessageReceptionWindow();
// The module instance the window class is registered for.
HINSTANCE GetAPIReceptionModuleInstance();

// Commit-progress data: [0] the percentage as a 16-bit value widened, [1] the
// text as wide text, [2] the flag.
OleVariant BuildCommitProgressData(int32_t percentage, const char16_t* text, KSBool flag);

extern "C" {
// The library's callbacks; they run on the library's thread.
void GlobalHandleAPIEventReception(const KSEventRecord* event, void* userData);
void GlobalHandleCommitProgressReception(int32_t percentage, const char16_t* text, KSBool flag,
                                         KSHandle transaction);
}

LRESULT APIMessageReceptionWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
