#pragma once
// TKRServerInterface (IKRServer): one connection to an object server, named
// by host and server name, and the receiver of the library's global
// (server-level) events.
//
// - Connecting asks the library for a connection (KSConnectServer); a
//   failure keeps the library's code in LastError. A server found lost is
//   left unavailable: every later connect fails with kKRServerNotAvailable
//   (-5) without asking the library, until Available is set true again.
// - Changing the host or server name disconnects first (and with it every
//   schema, database and session below).
// - SchemaNames and SchemaVersions answer wrappers over a cache built on the
//   first request and dropped at every disconnect; a wrapper keeps the cache
//   it was given alive, so it stays readable after the proxy dropped it.
//   A server that cannot be connected answers a wrapper over no list.
// - The first server that gets an event handler becomes the receiver of the
//   global events (the default subscription) and registers the global
//   callback with the library; removing any one of its handlers, or its
//   destruction, ends that registration.
// - HandleAPIEvent marks a lost server (IsServerLostEvent) unavailable and
//   disconnects it without any release call reaching the library (it gives
//   up its right to release, which every dependent consults), then passes
//   the event to the handlers as event 0.

#include <cstdint>
#include <string>

#include "objectmodel/KRDataSet_CO_Proxy.h"
#include "objectmodel/KRDataSet_CO_Server_Strings.h"
#include "objectmodel/KRDataSet_CO_StringList.h"

inline constexpr IID IID_IKRServer = GuidLiteral("008920BB-9336-11D1-B850-00805F49559B");

// The object model's own status: the server was found lost.
inline constexpr KSStatus kKRServerNotAvailable = -5;

inline constexpr const char16_t* kKRDefaultServerName = u"KestrelOS20";

struct IKRServer : IKRProxy {
  static constexpr const IID& kIID = IID_IKRServer;
  using BaseInterface = IKRProxy;

  virtual std::u16string Get_HostName() = 0;
  virtual void Set_HostName(const std::u16string& hostName) = 0;
  virtual std::u16string Get_ServerName() = 0;
  virtual void Set_ServerName(const std::u16string& serverName) = 0;
  virtual ComPtr<IKRProxyList> Get_Schemas() = 0;
  virtual ComPtr<IKRStringList> Get_SchemaNames() = 0;
  // None when the schema name is unknown.
  virtual ComPtr<IKRStringList> Get_SchemaVersions(const std::u16string& schemaName) = 0;
  virtual bool Get_Available() = 0;
  virtual void Set_Available(bool available) = 0;
  // Stops the server (connecting first when needed); the proxy stays as it is.
  virtual void Close() = 0;
};

// Whether an event (kind, code) tells that the server is gone: kinds 1, 2
// and 4, and kind 3 with code 101 or 105.
bool IsServerLostEvent(int32_t kind, int32_t code);

// Handles a lost-server event for `server`: gives up the right to release,
// marks it unavailable and disconnects it.
void MarkServerLost(IKRServer* server);

// The interface T of a proxy (or none).
template <class T>
ComPtr<T> ProxyAs(IUnknown* proxy) {
  ComPtr<T> result;
  if (proxy != nullptr) proxy->QueryInterface(T::kIID, result.ReleaseAndGetVoidAddress());
  return result;
}

class TKRServerInterface : public TKRProxyInterface<IKRServer> {
 public:
  TKRServerInterface();
  ~TKRServerInterface() override;

  std::u16string Get_HostName() override;
  void Set_HostName(const std::u16string& hostName) override;
  std::u16string Get_ServerName() override;
  void Set_ServerName(const std::u16string& serverName) override;
  ComPtr<IKRProxyList> Get_Schemas() override;
  ComPtr<IKRStringList> Get_SchemaNames() override;
  ComPtr<IKRStringList> Get_SchemaVersions(const std::u16string& schemaName) override;
  bool Get_Available() override;
  void Set_Available(bool available) override;
  void Close() override;

  bool Get_HasDependents() override;
  void RegisterEventHandler(IKRProxyEventHandler* handler) override;
  void UnregisterEventHandler(IKRProxyEventHandler* handler) override;
  void HandleAPIEvent(OleVariant& data) override;

 protected:
  void AssignHandle() override;
  void ReleaseHandle() override;
  void DisconnectDependents() override;
  void ReleaseDependents() override;
  void AfterDisconnect() override;

 private:
  // Schema names, sorted, each with its sorted versions.
  struct TKRSchemaNameCache : TKRSharedStrings {
    std::vector<TKRStrings> Versions;  // parallel to List
  };

  // The cache, built when missing and the server connects; else none.
  TKRSchemaNameCache* SchemaNameCache();
  bool IsGlobalEventReceiver();
  void StopGlobalEventReception();

  std::u16string FHostName;
  std::u16string FServerName = kKRDefaultServerName;
  ComPtr<IKRProxyList> FSchemas;
  ComPtr<TKRSchemaNameCache> FSchemaNames;
  bool FAvailable = true;
};
