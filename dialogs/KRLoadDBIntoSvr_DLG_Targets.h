#pragma once
// What the load-database form chooses from, kept apart from the node tree
// that it stands for (the form sits below the snap-in):
//
// - TKRWorkstationTree: the registered workstations in tree order (the
//   children of the tree's first workstations folder), each with its servers
//   in tree order (the children of the workstation's first servers folder).
//   Every entry carries its display name (the node's first column) and the
//   node itself as an item object, which the form hands back untouched.
// - IKRServerSchemaSource: the live answers of a server, asked afresh on
//   every call; TKRServerProxySchemaSource (KRLoadDBIntoSvr_DLG_Schemas.h)
//   answers them through a server proxy.

#include <optional>
#include <string>
#include <vector>

#include "platform/ui/ItemObject.h"

struct TKRTreeEntry {
  std::string Name;
  TItemObject Folder;
};

struct TKRWorkstationEntry : TKRTreeEntry {
  std::vector<TKRTreeEntry> Servers;
};

struct TKRWorkstationTree {
  std::vector<TKRWorkstationEntry> Workstations;
};

// A list of names from a server, or none when the server could not be
// reached.
using TKRServerAnswer = std::optional<std::vector<std::string>>;

class IKRServerSchemaSource {
 public:
  virtual ~IKRServerSchemaSource() = default;
  // The schema names of server `serverName` on host `hostName`, in the
  // server's order.
  virtual TKRServerAnswer SchemaNames(const std::string& hostName,
                                      const std::string& serverName) = 0;
  // The versions of one schema, in the server's order; an empty list for a
  // schema the server does not have.
  virtual TKRServerAnswer SchemaVersions(const std::string& hostName, const std::string& serverName,
                                         const std::string& schemaName) = 0;
};
