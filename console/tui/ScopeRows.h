#pragma once
// The rows of the scope pane: the scope items that are shown, depth first,
// the children of an item only while it is expanded, each with its depth
// and its expansion mark ('+' may have children, '-' expanded, ' ' has
// none).

#include <string>
#include <vector>

#include "console/host/Console.h"

struct TScopeRow {
  HSCOPEITEM node = 0;
  int depth = 0;
  char mark = '+';
  std::string name;
};

std::vector<TScopeRow> ShownScopeRows(TConsole& console);
