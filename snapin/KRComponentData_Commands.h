#pragma once
// What the component data's commands read from the node tree: the names
// that lead from a node to its server, schema and database (and how the
// status line names that place), and the names already in use under a
// folder.

#include <string>
#include <vector>

#include "snapin/KRFolder.h"

// The names a node's place in the tree gives, each from the nearest folder
// of its kind that is the node or lies above it; empty where there is none:
// the workstation (host), the server, the schema's name and version (split
// from "name - version"), the database.
struct TKRNodeNames {
  std::string host, server, schemaName, schemaVersion, database;
};
TKRNodeNames NodeNamesOf(TKRFolder& folder);

// Where a command acted, as the status line names it: "server, schema
// version".
std::string StatusPlace(const TKRNodeNames& names);

// Column 0 of every child folder, in tree order.
std::vector<std::string> ChildNames(const TKRFolder& folder);
