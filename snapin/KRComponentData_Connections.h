#pragma once
// The connection chain of the component data and the proxies it is built
// from. The TKRComponentData operations (OpenServer, OpenSchema,
// OpenDatabase, OpenSession, CloseServer, LoadDBIntoServer) are declared in
// KRComponentData.h and live in KRComponentData_Connections.cpp; their
// callers include this header for the proxy interfaces they answer.
//
// Every operation makes fresh proxies; nothing is kept by the component data
// except the remembered passwords. A proxy goes (and disconnects) with its
// caller's last reference.

#include <string>
#include <vector>

#include "objectmodel/KRDataSet_CO_Session.h"
#include "platform/text/Exception.h"
#include "snapin/KRFolder.h"

// Raised out of OpenSession when the user cancels the logon form; its
// message is empty. It is an abort: what the user cancelled ends silently.
KR_DECLARE_EXCEPTION(KRLogonCancelException, EAbort);

// A server proxy whose host is the workstation folder's name in lower case
// and whose server name is the server folder's name (empty for a missing
// folder).
ComPtr<IKRServer> NewServerProxy(const TKRFolder* workstationFolder, const TKRFolder* serverFolder);
// A server proxy on the host (lower-cased, locale-aware) and server name.
ComPtr<IKRServer> NewServerProxy(const std::string& hostName, const std::string& serverName);
// A schema proxy of `server` with that name and version.
ComPtr<IKRSchema> NewSchemaProxy(IKRServer* server, const std::string& name,
                                 const std::string& version);

// Calls `visit` with each text of a list (none for no list).
template <class Visit>
void ForEachString(IKRStringList* list, Visit visit) {
  const int32_t count = list != nullptr ? list->Get_Count() : 0;
  for (int32_t i = 0; i < count; ++i) visit(list->Get_Strings(i));
}

// Splits a connected user's text "user (host)": without '(' the user is the
// whole text and the host is empty; otherwise the user is the text before
// the first '(' and the host the text after it without one ')' at its very
// end, both without surrounding blanks.
void GetUserAndHost(const std::string& text, std::string& host, std::string& user);

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
