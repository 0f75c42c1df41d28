// The console keeps the tree as the user left it when the snap-in rebuilds
// a node's children, over the test snap-in (which rebuilds a node's children
// on a refresh, and lists Two's child Leaf only when Two is shown).

#include <gtest/gtest.h>

#include "console/host/ConsoleError.h"
#include "console/host/Host.h"
#include "console/host/testing/HostTestSupport.h"

namespace {

using Names = std::vector<std::string>;

class KeptTree : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.New();
    alpha_ = Child(Console().StaticNode(), "Alpha");
  }

  TConsole& Console() { return host_.Console(); }
  // The child of that name, the parent expanded first; 0 when there is none.
  HSCOPEITEM Child(HSCOPEITEM parent, const std::string& name) {
    Console().ExpandNode(parent);
    for (HSCOPEITEM child : Console().Tree().Find(parent)->children) {
      if (Console().NodeName(child) == name) return child;
    }
    return 0;
  }
  Names ChildNames(HSCOPEITEM node) {
    Names names;
    for (HSCOPEITEM child : Console().Tree().Find(node)->children) {
      names.push_back(Console().NodeName(child));
    }
    return names;
  }
  bool Expanded(HSCOPEITEM node) { return Console().Tree().Find(node)->expanded; }
  std::string SelectedName() { return Console().NodeName(Console().SelectedNode()); }
  void RunCommand(const std::string& text) {
    for (const TMenuItem& item : Console().ContextMenu()) {
      if (item.text == text) return Console().RunMenuItem(item);
    }
    FAIL() << "no menu item " << text;
  }
  // Two shown (so that Leaf is listed) and expanded.
  HSCOPEITEM OpenTwo() {
    const HSCOPEITEM two = Child(alpha_, "Two");
    Console().SelectNode(two);
    EXPECT_NE(Child(two, "Leaf"), 0);
    return two;
  }

  TTestRegistry registry_;
  THost host_;
  HSCOPEITEM alpha_ = 0;
};

TEST_F(KeptTree, ARefreshKeepsTheExpandedNodesAndTheSelection) {
  const HSCOPEITEM two = OpenTwo();
  Console().SelectNode(alpha_);
  Console().RunVerb(MMC_VERB_REFRESH);

  const HSCOPEITEM newTwo = Child(alpha_, "Two");
  ASSERT_NE(newTwo, 0);
  EXPECT_NE(newTwo, two);  // a new scope item, expanded as the old one was
  EXPECT_TRUE(Expanded(newTwo));
  // Expanding alone lists nothing under Two: it was shown on the way.
  EXPECT_EQ(ChildNames(newTwo), Names{"Leaf"});
  EXPECT_EQ(Console().SelectedNode(), alpha_);
  EXPECT_FALSE(Expanded(Child(alpha_, "One")));  // it was not expanded before
}

TEST_F(KeptTree, ARebuiltSelectedNodeIsSelectedAgain) {
  const HSCOPEITEM two = OpenTwo();
  RunCommand("Reread");  // rebuilds Alpha's children, Two among them
  const HSCOPEITEM newTwo = Child(alpha_, "Two");
  EXPECT_NE(newTwo, two);
  EXPECT_EQ(Console().SelectedNode(), newTwo);
  EXPECT_TRUE(Expanded(newTwo));
  EXPECT_EQ(ChildNames(newTwo), Names{"Leaf"});
}

TEST_F(KeptTree, ANodeThatDoesNotComeBackIsGone) {
  OpenTwo();
  RunCommand("Forget");
  EXPECT_EQ(ChildNames(alpha_), Names{"One"});
  // The selection goes to the nearest node on its path that is still there.
  EXPECT_EQ(Console().SelectedNode(), alpha_);
  EXPECT_TRUE(Expanded(alpha_));
}

TEST_F(KeptTree, ANodeCollapsedBeforeTheRebuildStaysCollapsed) {
  const HSCOPEITEM two = OpenTwo();
  Console().CollapseNode(two);
  RunCommand("Reread");
  const HSCOPEITEM newTwo = Child(alpha_, "Two");
  EXPECT_FALSE(Console().Tree().Find(newTwo)->expanded);
  EXPECT_EQ(Console().SelectedNode(), newTwo);
}

TEST_F(KeptTree, ADeletionThatIsNoRebuildRestoresNothing) {
  const HSCOPEITEM beta = Child(Console().StaticNode(), "Beta/Gamma");
  Console().SelectNode(beta);
  Console().ExpandNode(beta);
  Console().RunVerb(MMC_VERB_DELETE);
  EXPECT_EQ(ChildNames(Console().StaticNode()), Names{"Alpha"});
  EXPECT_EQ(Console().SelectedNode(), Console().StaticNode());
}

}  // namespace
