#pragma once
// TKRServerProxySchemaSource: the schema names and versions of a server,
// asked through a server proxy made for the one call (host and server name
// set, CheckConnected, then the list) and released before the call returns,
// so no connection outlives it. A server that does not connect, and any
// failure on the way (the library missing included), answer "not reached":
// the form then lists nothing for it, without a message.

#include "dialogs/KRLoadDBIntoSvr_DLG_Targets.h"

class TKRServerProxySchemaSource : public IKRServerSchemaSource {
 public:
  TKRServerAnswer SchemaNames(const std::string& hostName, const std::string& serverName) override;
  TKRServerAnswer SchemaVersions(const std::string& hostName, const std::string& serverName,
                                 const std::string& schemaName) override;
};
