#include "console/tui/ScopeRows.h"

namespace {

char MarkOf(const TScopeNode& node) {
  if (node.expanded && !node.children.empty()) return '-';
  if (node.cChildren == 0 || (node.expandedOnce && node.children.empty())) return ' ';
  return '+';
}

void Append(TConsole& console, HSCOPEITEM id, int depth, std::vector<TScopeRow>& rows) {
  const TScopeNode* node = console.Tree().Find(id);
  if (!node) return;
  rows.push_back({id, depth, MarkOf(*node), console.NodeName(id)});
  if (!node->expanded) return;
  // The names are asked for on the way, so the children are copied first.
  const std::vector<HSCOPEITEM> children = node->children;
  for (HSCOPEITEM child : children) Append(console, child, depth + 1, rows);
}

}  // namespace

std::vector<TScopeRow> ShownScopeRows(TConsole& console) {
  std::vector<TScopeRow> rows;
  Append(console, console.StaticNode(), 0, rows);
  return rows;
}
