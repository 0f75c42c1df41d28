#pragma once
// TKRSignalInterface (IKRSignal): a signal of a session, with its arguments.
//
// - It gets its handle from the session's registry of instantiated signals
//   when its ID is known there; otherwise it instantiates its name with its
//   argument values and its check interval (900 seconds when never set).
//   With a handle it sends events when SendsEvent is set (the default) and
//   stores itself as the handle's user data.
// - A signal that the session's registry lists keeps its handle in the
//   library when it disconnects; others release theirs.
// - The arguments come from the library's description of the name (type 14,
//   record IDs, becomes an array of type 1), with the instance's values when
//   it has a handle. Changing the name drops them and disconnects.
// - Name, ID and CheckInterval are read from the handle while not known;
//   the setters of CheckInterval, Active and SendsEvent pass the change on
//   when connected. Refresh reads name, interval, send flag and argument
//   values from the handle (nothing without one); a changed signal refreshes.
// - Delete deletes the instance on the server: on success it leaves the
//   session's registry and forgets its ID; a refusal keeps both.

#include <cstdint>
#include <string>

#include "objectmodel/KRDataSet_CO_ProxyWithArguments.h"
#include "objectmodel/KRDataSet_CO_Session_Interface.h"

// A check interval that is not known yet.
inline constexpr int32_t kKRUnknownCheckInterval = 2147483647;
inline constexpr int32_t kKRDefaultCheckInterval = 900;
inline constexpr int32_t kKRNoSignalID = -1;

class TKRSignalInterface final : public TKRProxyWithArguments<IKRSignal> {
 public:
  TKRSignalInterface() = default;
  // A signal over a handle the library gave (and the ID it has there); the
  // ID is taken only with a handle.
  static ComPtr<TKRSignalInterface> CreateWithInformation(KSHandle handle, int32_t id);

  std::u16string Get_Name() override;
  void Set_Name(const std::u16string& name) override;
  int32_t Get_ID() override;
  int32_t Get_CheckInterval() override;
  void Set_CheckInterval(int32_t seconds) override;
  ComPtr<IKRSession> Get_Session() override;
  void Set_Session(IKRSession* session) override;
  bool Get_Active() override;
  void Set_Active(bool active) override;
  void EvaluateNow() override;
  bool Get_SendsEvent() override;
  void Set_SendsEvent(bool sendsEvent) override;
  KSStatus Delete() override;
  void DoRaised() override;
  void DoChanged() override;
  void Instanciate() override;
  bool Get_Instanciated() override;
  void Refresh() override;
  bool Get_Raised() override;

 protected:
  void AssignHandle() override;
  void ReleaseHandle() override;
  void BeforeDisconnect() override;
  void CreateArguments() override;

 private:
  // Writes the instance's argument values into the arguments.
  void RefreshArguments();
  // The handle the session's registry has for the ID; 0 when none.
  KSHandle RegisteredHandle();

  std::u16string FName;
  int32_t FID = kKRNoSignalID;
  int32_t FCheckInterval = kKRUnknownCheckInterval;
  bool FSendsEvent = true;
  bool FActive = false;
};
