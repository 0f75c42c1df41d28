#include "console/tui/MainScreenKeys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr TKeyPlace kPlaces[] = {TKeyPlace::Tree, TKeyPlace::Results, TKeyPlace::Menu,
                                 TKeyPlace::Filter, TKeyPlace::Prompt};

TEST(MainScreenKeys, NoKeyMeansTwoThingsInOnePlaceAndEveryEntryIsShown) {
  for (TKeyPlace place : kPlaces) {
    std::set<std::string> seen;
    for (const TKeyBinding& binding : MainScreenKeys()) {
      if (!WorksIn(binding.Place, place)) continue;
      for (const TKey& key : binding.Keys) {
        EXPECT_TRUE(seen.insert(KeyName(key)).second) << KeyName(key) << " twice";
        EXPECT_EQ(FindKeyBinding(key, place), &binding) << KeyName(key);
      }
    }
  }

  for (const TKeyBinding& binding : MainScreenKeys()) {
    const std::string what = std::string(binding.Help) + std::string(binding.Line);
    EXPECT_FALSE(what.empty()) << "an entry neither the help nor the key line shows";
    EXPECT_TRUE(!binding.Keys.empty() || !binding.Mouse.empty()) << what;
    if (!binding.Line.empty()) {
      EXPECT_GE(binding.LineKeys, 1) << what;
      EXPECT_LE(binding.LineKeys, int(binding.Keys.size())) << what;
    }
    for (const TKey& key : binding.Keys) EXPECT_FALSE(KeyName(key).empty()) << what;
  }
}

TEST(MainScreenKeys, KeysDependOnThePlaceAndAreNamedInFullOrBriefly) {
  const TKey right = TKey::Named(TKeyCode::Right);
  ASSERT_NE(FindKeyBinding(right, TKeyPlace::Tree), nullptr);
  EXPECT_EQ(FindKeyBinding(right, TKeyPlace::Tree)->Action, TKeyAction::ExpandCollapse);
  EXPECT_EQ(FindKeyBinding(right, TKeyPlace::Results), nullptr);
  EXPECT_EQ(FindKeyBinding(TKey::Char(" "), TKeyPlace::Tree), nullptr);
  EXPECT_EQ(FindKeyBinding(TKey::Char(" "), TKeyPlace::Results)->Action, TKeyAction::Mark);
  EXPECT_EQ(FindKeyBinding(TKey::F(10, true), TKeyPlace::Tree)->Action, TKeyAction::Menu);
  EXPECT_EQ(FindKeyBinding(TKey::F(10), TKeyPlace::Tree), nullptr);
  EXPECT_EQ(FindKeyBinding(TKey::F(10), TKeyPlace::Menu)->Action, TKeyAction::Close);
  EXPECT_EQ(FindKeyBinding(TKey::Ctrl('c'), TKeyPlace::Results)->Action, TKeyAction::Quit);
  // In the menu a letter chooses an entry and in a typed line it is typed:
  // no entry takes them.
  EXPECT_EQ(FindKeyBinding(TKey::Char("q"), TKeyPlace::Menu), nullptr);
  EXPECT_EQ(FindKeyBinding(TKey::Char("q"), TKeyPlace::Filter), nullptr);
  EXPECT_EQ(FindKeyBinding(TKey::Named(TKeyCode::Enter), TKeyPlace::Filter)->Line, "keep");
  EXPECT_EQ(FindKeyBinding(TKey::Named(TKeyCode::Enter), TKeyPlace::Prompt)->Line, "OK");
  EXPECT_EQ(FindKeyBinding(TKey::Click(1, 1), TKeyPlace::Results), nullptr);

  EXPECT_EQ(KeyName(TKey::Ctrl('s')), "Ctrl-S");
  EXPECT_EQ(KeyName(TKey::Ctrl('s'), true), "^S");
  EXPECT_EQ(KeyName(TKey::F(10, true)), "Shift-F10");
  EXPECT_EQ(KeyName(TKey::Named(TKeyCode::BackTab)), "Shift-Tab");
  EXPECT_EQ(KeyName(TKey::Named(TKeyCode::PageDown)), "PgDn");
  EXPECT_EQ(KeyName(TKey::Char(" ")), "Space");
  const TKeyBinding* menu = FindKeyBinding(TKey::Char("m"), TKeyPlace::Tree);
  EXPECT_EQ(HelpLabel(*menu), "m, Shift-F10, right click");
  EXPECT_EQ(LineLabel(*menu), "m");
  EXPECT_EQ(LineLabel(*FindKeyBinding(TKey::Named(TKeyCode::Left), TKeyPlace::Tree)), "Right/Left");
}

TEST(MainScreenKeys, TheHelpJoinsEntriesAndTheReadmeListsTheHelp) {
  const auto lines = HelpLines();
  const auto line = std::find_if(lines.begin(), lines.end(),
                                 [](const auto& l) { return l.first.starts_with("F5"); });
  ASSERT_NE(line, lines.end());
  EXPECT_EQ(line->first, "F5, Del, F2, F1");
  EXPECT_EQ(line->second, "refresh, delete, rename, help on the item");
  // A help screen of 16 rows shows them all.
  EXPECT_LE(lines.size() + 4, 16u);

  // The front end's README lists the keys as the help screen does.
  std::ifstream readme(KR_TUI_README);
  ASSERT_TRUE(readme) << KR_TUI_README;
  std::vector<std::string> documented;
  bool inTable = false;
  for (std::string line; std::getline(readme, line);) {
    if (line == "| Key | Does |") {
      inTable = true;
    } else if (inTable && line.starts_with("| ") && !line.starts_with("|---")) {
      documented.push_back(line);
    } else if (inTable && !line.starts_with("|")) {
      break;
    }
  }
  std::vector<std::string> listed;
  for (const auto& [label, help] : HelpLines())
    listed.push_back("| " + label + " | " + help + " |");
  EXPECT_EQ(documented, listed);
}

}  // namespace
