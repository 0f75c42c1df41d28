#include "objectmodel/KRDataSet_CO_Events.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

#include "objectmodel/KRAPI_UNT.h"
#include "objectmodel/KRAPI_UNT_Strings.h"
#include "objectmodel/KRDataSet_CO_Events_Data.h"
#include "objectmodel/KRDataSet_CO_Functions.h"
#include "platform/win32/Library.h"

namespace {

// What a callback posts: the subscription key and the copied data.
struct TKRPostedAPIMessage {
  TKRSubscriptionKey Key;
  OleVariant Data;
};

// Written on the console's thread, read by the callbacks on the library's.
std::atomic<HWND> gWindow{nullptr};
std::atomic<TKRAPIEventReceptionManager*> gAPIEventManager{nullptr};
std::atomic<TKRCommitProgressReceptionManager*> gCommitProgressManager{nullptr};

// The managers alive, console's thread only; a message naming a manager that
// is gone is dropped. Defined before gFinalization, so it outlives it.
std::vector<const TKRAPIMessageReceptionManager*> gLiveManagers;

bool IsLiveManager(const TKRAPIMessageReceptionManager* manager) {
  return std::find(gLiveManagers.begin(), gLiveManagers.end(), manager) != gLiveManagers.end();
}

TKRSubscription gDefaultSubscription;

void FreePostedRecord(UINT message, WPARAM, LPARAM lParam) {
  if (message == kAPIReceptionMessage) delete reinterpret_cast<TKRPostedAPIMessage*>(lParam);
}

// Registers the window class with this module's procedure, replacing a class
// of that name registered with another one.
void EnsureWindowClass() {
  const HINSTANCE instance = GetAPIReceptionModuleInstance();
  WNDCLASS existing{};
  const bool registered = GetClassInfo(instance, kAPIReceptionWindowClass, &existing) != FALSE;
  if (!registered || existing.lpfnWndProc != &APIMessageReceptionWndProc) {
    if (registered) UnregisterClass(kAPIReceptionWindowClass, instance);
    WNDCLASS windowClass{};
    windowClass.lpfnWndProc = &APIMessageReceptionWndProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kAPIReceptionWindowClass;
    if (RegisterClass(&windowClass) == 0) {
      throw EKRAPIEventReceptionError(std::string("The window class ") + kAPIReceptionWindowClass +
                                      " could not be registered");
    }
  }
  SetClassPostedCleanup(instance, kAPIReceptionWindowClass, &FreePostedRecord);
}

// Posts a record to the window; a record that cannot be posted is freed by
// the class's cleanup. Nothing is allocated without a manager and a window.
void PostToWindow(const TKRAPIMessageReceptionManager* manager, TKRSubscriptionKey key,
                  OleVariant data) {
  const HWND window = FindAPIMessageReceptionWindow();
  if (manager == nullptr || window == nullptr) return;
  auto record = std::make_unique<TKRPostedAPIMessage>(TKRPostedAPIMessage{key, std::move(data)});
  PostMessage(window, kAPIReceptionMessage, reinterpret_cast<WPARAM>(manager),
              reinterpret_cast<LPARAM>(record.release()));
}

template <class Manager>
Manager& GetGlobalManager(std::atomic<Manager*>& slot) {
  if (Manager* manager = slot.load(std::memory_order_acquire)) return *manager;
  auto* manager = new Manager();
  slot.store(manager, std::memory_order_release);
  return *manager;
}

template <class Manager>
void DestroyGlobalManager(std::atomic<Manager*>& slot) {
  delete slot.exchange(nullptr, std::memory_order_acq_rel);
}

// Runs the module's finalization when the process ends.
struct TKRReceptionFinalization {
  ~TKRReceptionFinalization() { FinalizeAPIEventReception(); }
} gFinalization;

}  // namespace

TKRAPIMessageReceptionManager::TKRAPIMessageReceptionManager() {
  GetAPIMessageReceptionWindow();
  gLiveManagers.push_back(this);
}

TKRAPIMessageReceptionManager::~TKRAPIMessageReceptionManager() {
  std::erase(gLiveManagers, this);
  if (gLiveManagers.empty()) {
    if (const HWND window = gWindow.exchange(nullptr, std::memory_order_acq_rel)) {
      DestroyWindow(window);
    }
  }
}

TKRSubscription& TKRAPIMessageReceptionManager::GetSubscription(TKRSubscriptionKey key) {
  auto [it, inserted] = FSubscriptions.try_emplace(key);
  if (inserted) it->second.Key = key;
  return it->second;
}

void TKRAPIMessageReceptionManager::Subscribe(TKRSubscriptionKey key) {
  if (key == nullptr) throw EKRAPIEventReceptionError("A subscription needs a key");
  TKRSubscription& subscription = GetSubscription(key);
  if (subscription.Active) return;
  ActivateSubscription(subscription);
  subscription.Active = true;
}

void TKRAPIMessageReceptionManager::Unsubscribe(TKRSubscriptionKey key) {
  const auto it = FSubscriptions.find(key);
  if (it == FSubscriptions.end() || !it->second.Active) return;
  DeactivateSubscription(it->second);
  it->second.Active = false;
}

bool TKRAPIMessageReceptionManager::IsSubscribed(TKRSubscriptionKey key) const {
  const auto it = FSubscriptions.find(key);
  return it != FSubscriptions.end() && it->second.Active;
}

void TKRAPIEventReceptionManager::ActivateSubscription(TKRSubscription& subscription) {
  // Handle 0 would register the global callback in the proxy's name.
  const KSHandle handle = subscription.Key->Get_Handle();
  if (handle == 0) throw EKRAPIEventReceptionError("A proxy without a handle cannot subscribe");
  KRAPI().KSRegisterEventCallback(handle, &GlobalHandleAPIEventReception, subscription.Key);
}

void TKRAPIEventReceptionManager::DeactivateSubscription(TKRSubscription& subscription) {
  // A proxy without a handle has no registration left to remove; asking for
  // its handle would connect it again.
  if (!subscription.Key->Get_Connected()) return;
  KRAPI().KSRegisterEventCallback(subscription.Key->Get_Handle(), nullptr, subscription.Key);
}

void TKRAPIEventReceptionManager::DispatchAPIMessage(TKRSubscriptionKey key, OleVariant& data) {
  const ComPtr<IKRProxy> proxy(key != nullptr ? key : gDefaultSubscription.Key);
  if (proxy) proxy->HandleAPIEvent(data);
}

void TKRCommitProgressReceptionManager::DispatchAPIMessage(TKRSubscriptionKey key,
                                                           OleVariant& data) {
  const ComPtr<IKRProxy> proxy(key);
  auto* receiver = dynamic_cast<TKRCommitProgressReceiver*>(proxy.Get());
  if (receiver == nullptr) return;
  receiver->CommitProgressCallback(data[0].AsInteger(), data[1].AsString(), data[2].AsBool());
}

TKRAPIEventReceptionManager& GetGlobalAPIEventReceptionManager() {
  return GetGlobalManager(gAPIEventManager);
}

TKRCommitProgressReceptionManager& GetGlobalCommitProgressReceptionManager() {
  return GetGlobalManager(gCommitProgressManager);
}

TKRAPIEventReceptionManager* FindGlobalAPIEventReceptionManager() {
  return gAPIEventManager.load(std::memory_order_acquire);
}

TKRCommitProgressReceptionManager* FindGlobalCommitProgressReceptionManager() {
  return gCommitProgressManager.load(std::memory_order_acquire);
}

void FinalizeAPIEventReception() {
  DestroyGlobalManager(gAPIEventManager);
  DestroyGlobalManager(gCommitProgressManager);
}

TKRSubscription& GetDefaultSubscription() { return gDefaultSubscription; }

void ActivateDefaultSubscription(IKRProxy* receiver) {
  GetGlobalAPIEventReceptionManager();
  gDefaultSubscription.Key = receiver;
  gDefaultSubscription.Active = true;
}

void DeactivateDefaultSubscription() { gDefaultSubscription.Active = false; }

HWND GetAPIMessageReceptionWindow() {
  if (const HWND window = FindAPIMessageReceptionWindow()) return window;
  EnsureWindowClass();
  const HWND window = CreateWindow(kAPIReceptionWindowClass, "", 0, 0, 0, 0, 0, nullptr, nullptr,
                                   GetAPIReceptionModuleInstance(), nullptr);
  if (window == nullptr) {
    throw EKRAPIEventReceptionError("The event reception window could not be created");
  }
  gWindow.store(window, std::memory_order_release);
  return window;
}

HWND FindAPIMessageReceptionWindow() { return gWindow.load(std::memory_order_acquire); }

HINSTANCE GetAPIReceptionModuleInstance() {
  static const HINSTANCE instance =
      GetModuleHandleFromAddress(reinterpret_cast<const void*>(&APIMessageReceptionWndProc));
  return instance;
}

OleVariant BuildCommitProgressData(int32_t percentage, const char16_t* text, KSBool flag) {
  return OleVariant::ArrayOf({OleVariant(int32_t(int16_t(percentage))),
                              OleVariant(ConvertAPIStringToWideString(text)),
                              OleVariant(ConvertToBoolean(flag))});
}

void GlobalHandleAPIEventReception(const KSEventRecord* event, void* userData) {
  if (event == nullptr) return;
  try {
    PostToWindow(FindGlobalAPIEventReceptionManager(), static_cast<TKRSubscriptionKey>(userData),
                 TKREventData::FromRecord(*event));
  } catch (...) {
    // Nothing may cross back into the library; the event is lost.
  }
}

void GlobalHandleCommitProgressReception(int32_t percentage, const char16_t* text, KSBool flag,
                                         KSHandle transaction) {
  try {
    auto* key = static_cast<TKRSubscriptionKey>(KRAPI().KSTransactionGetUserData(transaction));
    PostToWindow(FindGlobalCommitProgressReceptionManager(), key,
                 BuildCommitProgressData(percentage, text, flag));
  } catch (...) {
    // Nothing may cross back into the library; the progress report is lost.
  }
}

LRESULT APIMessageReceptionWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kAPIReceptionMessage) return DefWindowProc(window, message, wParam, lParam);
  const std::unique_ptr<TKRPostedAPIMessage> record(reinterpret_cast<TKRPostedAPIMessage*>(lParam));
  auto* manager = reinterpret_cast<TKRAPIMessageReceptionManager*>(wParam);
  if (record == nullptr || !IsLiveManager(manager)) return 0;
  const TKRSubscription& subscription =
      record->Key != nullptr ? manager->GetSubscription(record->Key) : gDefaultSubscription;
  if (!subscription.Active) return 0;
  try {
    manager->DispatchAPIMessage(record->Key, record->Data);
  } catch (...) {
    // The proxy's interface has already reported the failure to its
    // handlers; it must not stop the console's message loop.
  }
  return 0;
}
