#include "platform/ui/Hotkeys.h"

#include <gtest/gtest.h>

namespace {

TEST(HotkeysTest, MarksAreStrippedAndTheMarkedCharacterFound) {
  EXPECT_EQ(StripHotkey("N&o to All"), "No to All");
  EXPECT_EQ(GetHotkey("N&o to All"), 'O');
  EXPECT_EQ(StripHotkey("Save && &close"), "Save & close");
  EXPECT_EQ(GetHotkey("Save && &close"), 'C');
  EXPECT_EQ(GetHotkey("Fish && Chips"), '\0');
  EXPECT_EQ(StripHotkey("Tail&"), "Tail&");
  EXPECT_EQ(GetHotkey("Tail&"), '\0');
  EXPECT_EQ(GetHotkey("&1st"), '1');
  EXPECT_EQ(StripHotkey(""), "");
}

TEST(HotkeysTest, EachCaptionOfAGroupGetsAFreeCharacter) {
  std::vector<std::string> captions{"Yes", "No", "Cancel", "No to All", "Yes to All"};
  MarkHotkeys(captions);
  EXPECT_EQ(captions,
            (std::vector<std::string>{"&Yes", "&No", "&Cancel", "N&o to All", "Y&es to All"}));
}

TEST(HotkeysTest, GivenMarksAreKeptAndServedFirst) {
  // "Abbrechen" marks its own 'A', so "Alle" has to take its 'l'.
  std::vector<std::string> captions{"Alle", "&Abbrechen", "&& more", "..."};
  MarkHotkeys(captions);
  EXPECT_EQ(captions, (std::vector<std::string>{"A&lle", "&Abbrechen", "&& &more", "..."}));
  std::vector<std::string> full{"ab", "AB", "a"};
  MarkHotkeys(full);
  EXPECT_EQ(full, (std::vector<std::string>{"&ab", "A&B", "a"}));  // nothing free for "a"
}

}  // namespace
