#pragma once
// Proxies of the servers and schemas that the node tree names, for the
// component data's operations. Nothing here connects: the caller asks
// CheckConnected, and lets the proxies go before it returns.

#include <string>
#include <vector>

#include "objectmodel/KRDataSet_CO_Schema.h"
#include "objectmodel/KRDataSet_CO_Server.h"
#include "snapin/KRFolder.h"

// A server proxy whose host is the workstation folder's name in lower case
// and whose server name is the server folder's name (empty for a missing
// folder).
ComPtr<IKRServer> NewServerProxy(const TKRFolder* workstationFolder, const TKRFolder* serverFolder);
// A schema proxy of `server` with that name and version.
ComPtr<IKRSchema> NewSchemaProxy(IKRServer* server, const std::string& name,
                                 const std::string& version);

// Disconnects the proxies it was given, the last one first, when it goes,
// also when the operation fails; a failing disconnect is left to the
// proxy's release.
class TKRProxyDisconnector {
 public:
  explicit TKRProxyDisconnector(std::vector<ComPtr<IKRProxy>> proxies)
      : FProxies(std::move(proxies)) {}
  ~TKRProxyDisconnector();
  TKRProxyDisconnector(const TKRProxyDisconnector&) = delete;
  TKRProxyDisconnector& operator=(const TKRProxyDisconnector&) = delete;

  void Add(IKRProxy* proxy) { FProxies.emplace_back(proxy); }

 private:
  std::vector<ComPtr<IKRProxy>> FProxies;
};
