#pragma once
// IKRProxyWithArguments: a proxy with a list of typed arguments (IKRArgument)
// that it passes to the library. IKRSignal: a signal of a session, a named
// condition the server evaluates at a check interval. See
// KRDataSet_CO_ProxyWithArguments.h and KRDataSet_CO_Signal.h.

#include <cstdint>
#include <string>

#include "objectmodel/KRDataSet_CO.h"
#include "objectmodel/KRDataSet_CO_Values.h"

inline constexpr IID IID_IKRProxyWithArguments =
    GuidLiteral("F01F8641-1C19-11D2-B87A-00805F49559B");
inline constexpr IID IID_IKRSignal = GuidLiteral("EB4368A0-1C17-11D2-B87A-00805F49559B");

struct IKRSession;

struct IKRProxyWithArguments : IKRProxy {
  static constexpr const IID& kIID = IID_IKRProxyWithArguments;
  using BaseInterface = IKRProxy;

  // The arguments are created on first need; 0 when there are none.
  virtual int32_t Get_ArgumentCount() = 0;
  // Raises for an index out of range.
  virtual ComPtr<IKRArgument> Get_Arguments(int32_t index) = 0;
  // Clears every argument's value.
  virtual void ClearArguments() = 0;
};

struct IKRSignal : IKRProxyWithArguments {
  static constexpr const IID& kIID = IID_IKRSignal;
  using BaseInterface = IKRProxyWithArguments;

  virtual std::u16string Get_Name() = 0;
  virtual void Set_Name(const std::u16string& name) = 0;
  // -1 while not known.
  virtual int32_t Get_ID() = 0;
  virtual int32_t Get_CheckInterval() = 0;
  virtual void Set_CheckInterval(int32_t seconds) = 0;
  virtual ComPtr<IKRSession> Get_Session() = 0;
  virtual void Set_Session(IKRSession* session) = 0;
  // Active: not suspended on the server.
  virtual bool Get_Active() = 0;
  virtual void Set_Active(bool active) = 0;
  virtual void EvaluateNow() = 0;
  virtual bool Get_SendsEvent() = 0;
  virtual void Set_SendsEvent(bool sendsEvent) = 0;
  // The library's status of the deletion (0 when nothing was instantiated).
  virtual KSStatus Delete() = 0;
  virtual void DoRaised() = 0;
  virtual void DoChanged() = 0;
  virtual void Instanciate() = 0;
  virtual bool Get_Instanciated() = 0;
  virtual void Refresh() = 0;
  virtual bool Get_Raised() = 0;
};
