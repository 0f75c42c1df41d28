// How TConsole keeps the scope tree as the user left it across the
// snap-in's rebuilds of a node's children, and settles the selection after
// a user action.

#include <algorithm>
#include <utility>

#include "console/host/Console.h"
#include "platform/text/Exception.h"

std::vector<std::string> TConsole::PathOf(HSCOPEITEM node) {
  std::vector<std::string> path;
  for (const TScopeNode* n = tree_.Find(node); n != nullptr && n->parent != 0;
       n = tree_.Find(n->parent)) {
    path.push_back(NodeName(n->id));
  }
  std::reverse(path.begin(), path.end());
  return path;
}

HSCOPEITEM TConsole::NodeAtPath(const std::vector<std::string>& path, bool& whole) {
  HSCOPEITEM node = tree_.Root();
  whole = false;
  for (const std::string& name : path) {
    const std::vector<HSCOPEITEM> children = tree_.Find(node)->children;
    const auto found = std::find_if(children.begin(), children.end(),
                                    [&](HSCOPEITEM child) { return NodeName(child) == name; });
    if (found == children.end()) return node;
    node = *found;
  }
  whole = true;
  return node;
}

void TConsole::RememberRemoved(HSCOPEITEM item, bool deleteThis) {
  const TScopeNode* top = tree_.Find(item);
  const HSCOPEITEM rebuilt = deleteThis ? top->parent : item;
  std::vector<HSCOPEITEM> removed = deleteThis ? std::vector<HSCOPEITEM>{item} : top->children;
  for (size_t i = 0; i < removed.size(); ++i) {
    const TScopeNode node = *tree_.Find(removed[i]);
    removed.insert(removed.end(), node.children.begin(), node.children.end());
    const bool selected = node.id == selected_;
    if (!node.expanded && !selected) continue;
    kept_.push_back({PathOf(node.id), rebuilt, node.expanded, !node.children.empty(), selected});
  }
}

void TConsole::Settle() {
  std::vector<KeptNode> kept = std::exchange(kept_, {});
  const std::vector<HSCOPEITEM> filled = std::exchange(filled_, {});
  HSCOPEITEM select = std::exchange(pendingSelect_, 0);
  // Only what was rebuilt comes back: a node deleted for good stays gone.
  std::erase_if(kept, [&](const KeptNode& k) {
    return std::find(filled.begin(), filled.end(), k.rebuilt) == filled.end() ||
           tree_.Find(k.rebuilt) == nullptr;
  });
  if (kept.empty() && select == 0) return;
  if (select == 0) select = selected_;
  std::stable_sort(kept.begin(), kept.end(), [](const KeptNode& a, const KeptNode& b) {
    return a.path.size() < b.path.size();
  });
  // What the restoring itself makes the snap-in rebuild is not kept again,
  // so settling always ends.
  ++actionDepth_;
  settling_ = true;
  try {
    for (const KeptNode& k : kept) {
      bool whole = false;
      const HSCOPEITEM node = NodeAtPath(k.path, whole);
      if (k.selected) select = node;
      if (!whole || !k.expanded) continue;
      ExpandNode(node);
      if (k.hadChildren && Node(node).children.empty()) SelectNode(node);
    }
  } catch (const Exception&) {
    // What could not be restored stays as the snap-in left it.
  }
  const auto selectIfThere = [this](HSCOPEITEM node) {
    try {
      if (tree_.Find(node) != nullptr && node != selected_) SelectNode(node);
    } catch (const Exception&) {
      // The selection stays where it is; the user picks another node.
    }
  };
  selectIfThere(select);
  // A selection the restoring deleted goes to what survived it.
  const HSCOPEITEM survivor = std::exchange(pendingSelect_, 0);
  if (tree_.Find(selected_) == nullptr) selectIfThere(survivor);
  settling_ = false;
  --actionDepth_;
  kept_.clear();
  filled_.clear();
}
