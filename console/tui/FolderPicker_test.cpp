#include "console/tui/FolderPicker.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/testing/TestFiles.h"

namespace fs = std::filesystem;

namespace {

class FolderPickerTest : public ::testing::Test {
 protected:
  FolderPickerTest() {
    for (const char* dir : {"dumps/old", "dumps/new", "Beta", "alpha", ".hidden"}) {
      fs::create_directories(fs::path(root) / dir);
    }
    WriteFile(directory.File("file.txt"), "x");
  }

  TFolderPicker::TOutcome Press(TFolderPicker& picker, std::vector<TKey> keys) {
    TFolderPicker::TOutcome outcome = TFolderPicker::TOutcome::Browsing;
    for (const TKey& key : keys) outcome = picker.HandleKey(key, 80, 24);
    return outcome;
  }
  TempDir directory;
  std::string root = directory.Path().string();
};

TEST_F(FolderPickerTest, ListsTheVisibleSubfoldersBelowThisFolder) {
  TFolderPicker picker("Dumps", root + "/");
  EXPECT_EQ(picker.Current(), root);
  // No ".." at the root; no files, no hidden folders; sorted regardless of
  // case.
  EXPECT_EQ(picker.Entries(), (std::vector<std::string>{".", "alpha", "Beta", "dumps"}));
}

TEST_F(FolderPickerTest, OpensFoldersAndGoesBackUpButNotAboveTheRoot) {
  TFolderPicker picker("Dumps", root);
  Press(picker, {TKey::Named(TKeyCode::End), TKey::Named(TKeyCode::Enter)});
  EXPECT_EQ(picker.Current(), root + "/dumps");
  EXPECT_EQ(picker.Entries(), (std::vector<std::string>{".", "..", "new", "old"}));
  Press(picker, {TKey::Named(TKeyCode::Down), TKey::Named(TKeyCode::Enter)});
  EXPECT_EQ(picker.Current(), root);
  // Going up highlights the folder that was left.
  EXPECT_EQ(picker.Entries()[size_t(picker.Highlighted())], "dumps");
  Press(picker, {TKey::Named(TKeyCode::Right), TKey::Named(TKeyCode::Backspace),
                 TKey::Named(TKeyCode::Left), TKey::Named(TKeyCode::Backspace)});
  EXPECT_EQ(picker.Current(), root);
  // Right on "." opens nothing.
  Press(picker, {TKey::Named(TKeyCode::Home), TKey::Named(TKeyCode::Right)});
  EXPECT_EQ(picker.Current(), root);
}

TEST_F(FolderPickerTest, ChoosesThisFolderOrTheHighlightedOne) {
  TFolderPicker here("Dumps", root);
  EXPECT_EQ(Press(here, {TKey::Char("d"), TKey::Named(TKeyCode::Right), TKey::Named(TKeyCode::Home),
                         TKey::Named(TKeyCode::Enter)}),
            TFolderPicker::TOutcome::Chosen);
  EXPECT_EQ(here.Chosen(), root + "/dumps");

  TFolderPicker highlighted("Dumps", root);
  EXPECT_EQ(Press(highlighted, {TKey::Char("b"), TKey::Char(" ")}),
            TFolderPicker::TOutcome::Chosen);
  EXPECT_EQ(highlighted.Chosen(), root + "/Beta");

  TFolderPicker cancelled("Dumps", root);
  EXPECT_EQ(Press(cancelled, {TKey::Named(TKeyCode::Down), TKey::Named(TKeyCode::Escape)}),
            TFolderPicker::TOutcome::Cancelled);
}

TEST_F(FolderPickerTest, ClicksHighlightAndDoubleClicksOpen) {
  TFolderPicker picker("Dumps", root);
  const TCellRect list = TFolderPicker::ListRect(80, 24);
  Press(picker, {TKey::Click(list.Left, list.Top + 2)});
  EXPECT_EQ(picker.Highlighted(), 2);
  EXPECT_EQ(picker.Current(), root);
  Press(picker, {TKey::Click(list.Left, list.Top + 9)});  // below the entries
  EXPECT_EQ(picker.Highlighted(), 2);
  Press(picker, {TKey::Click(list.Left, list.Top + 3, TMouseButton::LeftDouble)});
  EXPECT_EQ(picker.Current(), root + "/dumps");
}

TEST_F(FolderPickerTest, AMissingRootListsOnlyItself) {
  TFolderPicker picker("Dumps", root + "/nowhere");
  EXPECT_EQ(picker.Entries(), (std::vector<std::string>{"."}));
  EXPECT_EQ(Press(picker, {TKey::Named(TKeyCode::Enter)}), TFolderPicker::TOutcome::Chosen);
  EXPECT_EQ(picker.Chosen(), root + "/nowhere");
}

TEST_F(FolderPickerTest, DrawsThePathTheEntriesAndTheKeys) {
  TFolderPicker picker("Dumps", root);
  Press(picker, {TKey::Named(TKeyCode::Down)});
  TCellGrid grid(80, 24);
  picker.Draw(grid);
  const TCellRect box = TFolderPicker::BoxRect(80, 24);
  const TCellRect list = TFolderPicker::ListRect(80, 24);
  EXPECT_EQ(grid.Row(box.Top).substr(size_t(box.Left), 3), "┌");
  EXPECT_NE(grid.Row(box.Top).find(" Dumps "), std::string::npos);
  EXPECT_NE(grid.Row(box.Top + 1).find(root), std::string::npos);
  auto cells = [&](int y, int count) {
    std::string text;
    for (int x = list.Left; x < list.Left + count; ++x) text += grid.At(x, y).glyph;
    return text;
  };
  EXPECT_EQ(cells(list.Top, 15), ". (this folder)");
  EXPECT_EQ(cells(list.Top + 1, 6), "alpha/");
  EXPECT_EQ(grid.StyleRow(list.Top + 1)[size_t(list.Left)], 'H');
  EXPECT_NE(grid.Row(box.Bottom() - 2).find("Esc cancel"), std::string::npos);
}

}  // namespace
