#include "console/tui/MainScreen.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "console/host/testing/HostTestSupport.h"
#include "console/tui/Glyphs.h"
#include "console/tui/TestSupport_test.h"
#include "platform/ui/ScriptPresenter.h"

using ::testing::HasSubstr;

namespace {

constexpr int kWidth = 80;
constexpr int kHeight = 16;

class MainScreenTest : public ::testing::Test {
 protected:
  MainScreenTest() {
    host.New();
    screen = std::make_unique<TMainScreen>(host);
  }
  ~MainScreenTest() override {
    screen.reset();
    host.Close();
  }

  // Presses the keys; answers whether each was handled.
  std::vector<bool> Press(std::vector<TKey> keys) {
    std::vector<bool> handled;
    for (const TKey& key : keys) handled.push_back(screen->HandleKey(key, kWidth, kHeight));
    return handled;
  }
  bool Press(TKey key) { return screen->HandleKey(key, kWidth, kHeight); }
  static TKey Key(TKeyCode code) { return TKey::Named(code); }
  void Type(const std::string& text) {
    for (char c : text) Press(TKey::Char(std::string(1, c)));
  }
  TCellGrid Drawn() {
    TCellGrid grid(kWidth, kHeight);
    screen->Draw(grid);
    return grid;
  }
  // The rows of the scope pane (below its header), as shown.
  std::vector<std::string> Tree() {
    const TCellGrid grid = Drawn();
    std::vector<std::string> rows;
    for (int y = 2; y < kHeight - 2; ++y) {
      std::string row;
      for (int x = 0; x < 26; ++x) row += grid.At(x, y).glyph;
      row.erase(row.find_last_not_of(' ') + 1);
      if (!row.empty()) rows.push_back(row);
    }
    return rows;
  }
  // Column 0 of the result pane's rows (up to a blank), as shown.
  std::vector<std::string> Results() {
    const TCellGrid grid = Drawn();
    std::vector<std::string> rows;
    for (int y = 2; y < kHeight - 2; ++y) {
      std::string row;
      for (int x = 28; x < kWidth && grid.At(x, y).glyph != " "; ++x) row += grid.At(x, y).glyph;
      if (!row.empty()) rows.push_back(row);
    }
    return rows;
  }
  std::string Selected() { return host.Console().NodeName(host.Console().SelectedNode()); }
  // Selects Alpha below the expanded static node.
  void ToAlpha() { Press({Key(TKeyCode::Right), Key(TKeyCode::Down)}); }

  TTestRegistry registry;
  THost host;
  std::unique_ptr<TMainScreen> screen;
};

TEST_F(MainScreenTest, StartsOnTheStaticNodeWithTitleStatusAndKeys) {
  const TCellGrid grid = Drawn();
  EXPECT_EQ(Line(grid, 0), " untitled - " + host.SnapinName());
  EXPECT_EQ(Line(grid, 1).substr(0, 5), " Tree");
  EXPECT_EQ(Tree(), (std::vector<std::string>{" + Fake Root"}));
  EXPECT_EQ(grid.StyleRow(2).substr(0, 26), std::string(26, 'H'));
  EXPECT_THAT(Line(grid, kHeight - 1), HasSubstr("Tab results"));
  EXPECT_THAT(Line(grid, kHeight - 1), HasSubstr("Right/Left expand"));
  EXPECT_EQ(Selected(), "Fake Root");
}

TEST_F(MainScreenTest, ArrowsExpandCollapseAndSelectNodes) {
  EXPECT_TRUE(Press(Key(TKeyCode::Right)));
  EXPECT_EQ(Tree(), (std::vector<std::string>{" - Fake Root", "   + Alpha", "     Beta/Gamma"}));
  // Right on an expanded node goes to its first child; Down and End move.
  EXPECT_TRUE(Press(Key(TKeyCode::Right)));
  EXPECT_EQ(Selected(), "Alpha");
  EXPECT_TRUE(Press(Key(TKeyCode::End)));
  EXPECT_EQ(Selected(), "Beta/Gamma");
  EXPECT_FALSE(Press(Key(TKeyCode::Down)));  // already the last row
  // Left on a collapsed node goes to the parent; Left again collapses it.
  EXPECT_TRUE(Press(Key(TKeyCode::Left)));
  EXPECT_EQ(Selected(), "Fake Root");
  EXPECT_TRUE(Press(Key(TKeyCode::Left)));
  EXPECT_EQ(Tree(), (std::vector<std::string>{" + Fake Root"}));
  EXPECT_FALSE(Press(Key(TKeyCode::Left)));
}

TEST_F(MainScreenTest, TheResultPaneShowsTheVisibleColumnsAndTheRows) {
  ToAlpha();
  const TCellGrid grid = Drawn();
  EXPECT_THAT(Line(grid, 1), HasSubstr(" Name"));
  EXPECT_THAT(Line(grid, 1), HasSubstr(" Size"));
  EXPECT_THAT(Line(grid, 1), ::testing::Not(HasSubstr("Hidden")));
  EXPECT_EQ(Results(), (std::vector<std::string>{"One", "Two", "r1", "r2", "r10"}));
  EXPECT_THAT(Line(grid, 4), HasSubstr("│ r1    10"));
}

TEST_F(MainScreenTest, TabPicksTheHighlightedRowAndGivesTheSelectionBack) {
  ToAlpha();
  EXPECT_TRUE(Press(Key(TKeyCode::Tab)));
  EXPECT_EQ(screen->Focus(), TMainScreen::TPane::Result);
  EXPECT_EQ(host.Console().PickedRows(), (std::vector<int>{0}));
  Press({Key(TKeyCode::Down), Key(TKeyCode::Down), TKey::Char(" "), Key(TKeyCode::Down),
         TKey::Char(" ")});
  EXPECT_EQ(host.Console().PickedRows(), (std::vector<int>{2, 3}));
  // Space again takes a row out of the pick; Escape ends the marking and
  // picks the highlighted row alone.
  Press(TKey::Char(" "));
  EXPECT_EQ(host.Console().PickedRows(), (std::vector<int>{2}));
  Press({Key(TKeyCode::Down), Key(TKeyCode::Escape)});
  EXPECT_EQ(host.Console().PickedRows(), (std::vector<int>{4}));
  EXPECT_THAT(Line(Drawn(), kHeight - 1), ::testing::Not(HasSubstr("Right/Left")));
  Press(Key(TKeyCode::BackTab));
  EXPECT_EQ(screen->Focus(), TMainScreen::TPane::Scope);
  EXPECT_TRUE(host.Console().PickedRows().empty());
}

TEST_F(MainScreenTest, EnterOnAScopeRowOpensItInTheTree) {
  ToAlpha();
  Press({Key(TKeyCode::Tab), Key(TKeyCode::Down), Key(TKeyCode::Enter)});
  // The snap-in selects the node; the tree opens down to it.
  EXPECT_EQ(Selected(), "Two");
  EXPECT_EQ(Tree(), (std::vector<std::string>{" - Fake Root", "   - Alpha", "       One",
                                              "       Two", "     Beta/Gamma"}));
  EXPECT_EQ(Drawn().StyleRow(5).substr(0, 26), std::string(26, 'h'));
}

TEST_F(MainScreenTest, TheFilterNarrowsTheFocusedPaneAsYouType) {
  ToAlpha();
  Press(Key(TKeyCode::Tab));
  Press(TKey::Char("/"));
  Type("R1");
  EXPECT_EQ(Results(), (std::vector<std::string>{"r1", "r10"}));
  EXPECT_EQ(Line(Drawn(), kHeight - 2), "Filter: R1");
  EXPECT_EQ(host.Console().PickedRows(), (std::vector<int>{2}));
  // Enter keeps the filter; Down moves within what is shown.
  Press(Key(TKeyCode::Enter));
  Press(Key(TKeyCode::Down));
  EXPECT_EQ(host.Console().PickedRows(), (std::vector<int>{4}));
  Type("/x");
  EXPECT_THAT(Line(Drawn(), 2), HasSubstr("(nothing matches)"));
  Press(Key(TKeyCode::Escape));
  EXPECT_EQ(Results().size(), 5u);
  // The scope pane's filter keeps the static node.
  Press({Key(TKeyCode::Tab), TKey::Char("/"), TKey::Char("b")});
  EXPECT_EQ(Tree(), (std::vector<std::string>{" - Fake Root", "     Beta/Gamma"}));
}

TEST_F(MainScreenTest, TheMenuShowsStatusTextsAndRunsTheChosenCommand) {
  ToAlpha();
  EXPECT_TRUE(Press(TKey::Char("m")));
  TCellGrid grid = Drawn();
  EXPECT_EQ(Line(grid, kHeight - 2), "Does Add Node");
  EXPECT_THAT(grid.Text(), HasSubstr("│ Add Node"));
  EXPECT_THAT(grid.Text(), HasSubstr("│ New > New Thing"));
  EXPECT_THAT(grid.Text(), HasSubstr("│ Rename"));
  // A greyed command is refused and says so.
  Press(TKey::Char("g"));
  EXPECT_FALSE(Press(Key(TKeyCode::Enter)));
  EXPECT_THAT(screen->Message(), HasSubstr("Greyed is not available"));
  EXPECT_TRUE(Press({Key(TKeyCode::Home), Key(TKeyCode::Enter)}).back());
  Press(Key(TKeyCode::Right));
  EXPECT_EQ(Tree(), (std::vector<std::string>{" - Fake Root", "   - Alpha", "       One",
                                              "       Two", "       Node 1", "     Beta/Gamma"}));
  // Escape closes a menu without running anything; Shift-F10 opens it too.
  EXPECT_TRUE(Press(TKey::F(10, true)));
  EXPECT_TRUE(Press(Key(TKeyCode::Escape)));
  EXPECT_THAT(Drawn().Text(), ::testing::Not(HasSubstr("│ Add Node")));
}

TEST_F(MainScreenTest, ADialogOfAMenuCommandGoesToThePresenter) {
  TScriptPresenter script("expect form Ask; set NameEdit to Typed; press enter");
  TPresenterScope scope(script);
  ToAlpha();
  Press({TKey::Char("m"), TKey::Char("a"), TKey::Char("s"), Key(TKeyCode::Enter)});
  EXPECT_EQ(script.Verify(), "");
  Press(Key(TKeyCode::Right));
  EXPECT_THAT(Tree(), ::testing::Contains("       Typed"));
}

TEST_F(MainScreenTest, VerbKeysWorkOnlyWhereTheSnapinOffersThem) {
  Press(Key(TKeyCode::Right));
  EXPECT_FALSE(Press(Key(TKeyCode::Delete)));  // the static node
  EXPECT_EQ(screen->Message(), "Cannot delete this item");
  Press(Key(TKeyCode::End));
  EXPECT_THAT(Line(Drawn(), kHeight - 1), HasSubstr("Del delete"));
  // Rename asks for the new name on the status line.
  EXPECT_TRUE(Press(TKey::F(2)));
  EXPECT_EQ(Line(Drawn(), kHeight - 2), "New name: Beta/Gamma");
  EXPECT_EQ(Drawn().Cursor(), (TCellPoint{20, kHeight - 2}));
  Press(TKey::Ctrl('u'));
  Type("Delta");
  Press(Key(TKeyCode::Enter));
  EXPECT_EQ(Selected(), "Delta");
  EXPECT_TRUE(Press(Key(TKeyCode::Delete)));
  EXPECT_EQ(Tree(), (std::vector<std::string>{" - Fake Root", "   + Alpha"}));
  EXPECT_EQ(Selected(), "Fake Root");
}

TEST_F(MainScreenTest, QuittingAsksToSaveUnsavedChanges) {
  EXPECT_TRUE(Press(TKey::Char("q")));  // nothing changed: no question
  EXPECT_TRUE(screen->QuitRequested());

  screen = std::make_unique<TMainScreen>(host);
  ToAlpha();
  Press({TKey::Char("m"), Key(TKeyCode::Enter)});
  EXPECT_THAT(Line(Drawn(), 0), HasSubstr("untitled [modified]"));
  const std::string path = registry.File("saved.vzc");
  TScriptPresenter script(
      "expect message containing 'Save changes'; answer IDCANCEL\n"
      "expect message containing 'Save changes'; answer IDYES\n");
  TPresenterScope scope(script);
  Press(TKey::Char("q"));
  EXPECT_FALSE(screen->QuitRequested());
  Press(TKey::Char("q"));
  // No file yet: the name is asked for first.
  EXPECT_FALSE(screen->QuitRequested());
  EXPECT_EQ(Line(Drawn(), kHeight - 2), "Save as: console.vzc");
  Press(TKey::Ctrl('u'));
  Type(path);
  Press(Key(TKeyCode::Enter));
  EXPECT_EQ(script.Verify(), "");
  EXPECT_TRUE(screen->QuitRequested());
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(screen->Message(), "Saved to " + path);
  EXPECT_EQ(Line(Drawn(), 0), " saved.vzc - " + host.SnapinName());
}

TEST_F(MainScreenTest, SaveAndOpenGoThroughThePromptAndReportFailures) {
  const std::string path = registry.File("doc.vzc");
  screen->SuggestSavePath(path);
  EXPECT_TRUE(Press(TKey::Ctrl('s')));
  EXPECT_EQ(Line(Drawn(), kHeight - 2), "Save as: " + path);
  Press(Key(TKeyCode::Enter));
  EXPECT_EQ(host.DocumentPath(), path);
  // A second save needs no name.
  EXPECT_TRUE(Press(TKey::Ctrl('s')));
  EXPECT_EQ(Line(Drawn(), kHeight - 2), "Saved to " + path);

  WriteFile(registry.File("foreign.vzc"), "not a console file");
  Press(TKey::Ctrl('o'));
  Press(TKey::Ctrl('u'));
  Type(registry.File("foreign.vzc"));
  EXPECT_FALSE(Press(Key(TKeyCode::Enter)));
  EXPECT_EQ(host.DocumentPath(), path);
  EXPECT_NE(screen->Message(), "");
  EXPECT_THAT(screen->Message(), ::testing::Not(HasSubstr("Opened")));

  Press(TKey::Ctrl('o'));
  Press(Key(TKeyCode::Enter));  // the document's own path is offered
  EXPECT_EQ(screen->Message(), "Opened " + path);
  // Escape leaves a prompt without doing anything.
  Press({TKey::Ctrl('o'), Key(TKeyCode::Escape)});
  EXPECT_EQ(Line(Drawn(), kHeight - 2), "Opened " + path);
}

TEST_F(MainScreenTest, MouseClicksSelectOpenSortAndOpenTheMenu) {
  Press(TKey::Click(3, 2, TMouseButton::LeftDouble));  // the static node: expands
  EXPECT_EQ(Tree().size(), 3u);
  EXPECT_TRUE(Press(TKey::Click(5, 3)));
  EXPECT_EQ(Selected(), "Alpha");
  EXPECT_FALSE(Press(TKey::Click(5, 9)));  // below the rows
  // Clicks on the header sort by that column, then the other way round.
  const int sizeColumn = int(Line(Drawn(), 1).find(" Size")) - 2;  // the separator is 3 bytes
  EXPECT_TRUE(Press(TKey::Click(sizeColumn + 1, 1)));
  EXPECT_THAT(Line(Drawn(), 1), HasSubstr("Size ^"));
  EXPECT_TRUE(Press(TKey::Click(sizeColumn + 1, 1)));
  EXPECT_THAT(Line(Drawn(), 1), HasSubstr("Size v"));
  // A right click on a result row picks it and opens its menu.
  EXPECT_TRUE(Press(TKey::Click(30, 4, TMouseButton::Right)));
  EXPECT_EQ(screen->Focus(), TMainScreen::TPane::Result);
  EXPECT_EQ(host.Console().PickedRows().size(), 1u);
  EXPECT_THAT(Drawn().Text(), HasSubstr("│ Item Command"));
  // A click outside the menu closes it and acts where it lands.
  EXPECT_TRUE(Press(TKey::Click(5, 2)));
  EXPECT_EQ(Selected(), "Fake Root");
}

TEST_F(MainScreenTest, HelpListsTheKeysUntilTheNextKey) {
  EXPECT_TRUE(Press(TKey::Char("?")));
  EXPECT_THAT(Drawn().Text(), HasSubstr("┌ Keys "));
  for (const auto& [label, help] : HelpLines()) {
    EXPECT_THAT(Drawn().Text(), HasSubstr(label)) << "the whole list fits";
    EXPECT_THAT(Drawn().Text(), HasSubstr(help));
  }
  EXPECT_TRUE(Press(Key(TKeyCode::Right)));  // closes the help only
  EXPECT_THAT(Drawn().Text(), ::testing::Not(HasSubstr("┌ Keys ")));
  EXPECT_EQ(Tree().size(), 1u);
}

TEST_F(MainScreenTest, HelpIsAsWideAsItsTextAndWrapsOnANarrowScreen) {
  Press(TKey::Char("?"));
  TCellGrid wide(130, 40);
  screen->Draw(wide);
  int longest = 0;
  for (const auto& [label, help] : HelpLines()) {
    EXPECT_THAT(wide.Text(), HasSubstr(help)) << "each text whole on its row";
    longest = std::max(longest, GlyphCount(help));
  }
  // The box is no wider than the longest line needs.
  std::string top;
  for (int y = 0; y < wide.Height() && top.empty(); ++y) {
    if (wide.Row(y).find("┌ Keys") != std::string::npos) top = Line(wide, y);
  }
  const int boxWidth = GlyphCount(top.substr(top.find("┌")));
  EXPECT_LT(boxWidth, 100);
  EXPECT_GT(boxWidth, longest + 4);

  // On a narrow screen every word is still there, wrapped inside the box.
  TCellGrid narrow(44, 40);
  screen->Draw(narrow);
  for (const auto& [label, help] : HelpLines()) {
    std::istringstream words(help);
    for (std::string word; words >> word;) EXPECT_THAT(narrow.Text(), HasSubstr(word)) << help;
  }
  EXPECT_THAT(narrow.Text(), HasSubstr("┐"));
  EXPECT_THAT(narrow.Text(), ::testing::Not(HasSubstr("Enlarge")));
  // Too short a screen for every key says so.
  TCellGrid low(80, 10);
  screen->Draw(low);
  EXPECT_THAT(low.Text(), HasSubstr("Enlarge the terminal to see every key."));
}

TEST_F(MainScreenTest, ScreensTooSmallToUseStayBlank) {
  for (auto [w, h] : {std::pair{0, 0}, std::pair{3, 3}, std::pair{80, 4}}) {
    TCellGrid grid(w, h);
    screen->Draw(grid);
    EXPECT_EQ(grid.Text(), std::string(size_t(h), '\n'));
  }
  // A narrow one still shows the tree.
  TCellGrid narrow(30, 6);
  screen->Draw(narrow);
  EXPECT_THAT(narrow.Text(), HasSubstr("+ Fake Root"));
}

}  // namespace
