#include "console/tui/LineEditor.h"

#include <gtest/gtest.h>

namespace {

TEST(LineEditorTest, EditsAtTheCaretCountedInCodePoints) {
  TLineEditor line("Größe");
  EXPECT_EQ(line.Caret(), 5);
  EXPECT_TRUE(line.HandleKey(TKey::Named(TKeyCode::Left)));
  EXPECT_TRUE(line.HandleKey(TKey::Named(TKeyCode::Backspace)));
  EXPECT_TRUE(line.HandleKey(TKey::Char("ß")));
  EXPECT_EQ(line.Text(), "Größe");
  EXPECT_TRUE(line.HandleKey(TKey::Named(TKeyCode::Home)));
  EXPECT_TRUE(line.HandleKey(TKey::Named(TKeyCode::Delete)));
  EXPECT_EQ(line.Text(), "röße");
  EXPECT_EQ(TLineEditor("ab", 9).Caret(), 2);
  EXPECT_EQ(TLineEditor("ab", -1).Caret(), 0);
}

TEST(LineEditorTest, KeysAtTheEndsAndForeignKeysAreNotTaken) {
  TLineEditor line("ab", 0);
  EXPECT_FALSE(line.HandleKey(TKey::Named(TKeyCode::Backspace)));
  EXPECT_FALSE(line.HandleKey(TKey::Named(TKeyCode::Left)));
  EXPECT_TRUE(line.HandleKey(TKey::Named(TKeyCode::End)));
  EXPECT_FALSE(line.HandleKey(TKey::Named(TKeyCode::Delete)));
  EXPECT_FALSE(line.HandleKey(TKey::Named(TKeyCode::Right)));
  EXPECT_FALSE(line.HandleKey(TKey::Named(TKeyCode::Up)));
  EXPECT_FALSE(line.HandleKey(TKey::Ctrl('x')));
  EXPECT_TRUE(line.HandleKey(TKey::Ctrl('u')));
  EXPECT_EQ(line.Text(), "");
  EXPECT_EQ(line.Caret(), 0);
}

}  // namespace
