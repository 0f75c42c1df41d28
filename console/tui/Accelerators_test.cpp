#include "console/tui/Accelerators.h"

#include <gtest/gtest.h>

namespace {

TEST(Accelerators, AMarkedLetterIsTheKeyAndTheMarksAreNotShown) {
  struct Case {
    const char* caption;
    const char* text;
    int key;
    const char* accelerator;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"&Yes", "Yes", 0, "y"},
           {"N&o to All", "No to All", 1, "o"},
           {"Yes to &All", "Yes to All", 7, "a"},
           // Without a mark the first letter or digit is the key.
           {"Cancel", "Cancel", 0, "c"},
           {"  2 copies", "  2 copies", 2, "2"},
           {"Save && &Quit", "Save & Quit", 7, "q"},
           {"Save && Quit", "Save & Quit", 0, "s"},
           {"\xC3\x89tage", "\xC3\x89tage", 0, "\xC3\xA9"},  // a letter beyond ASCII
           // Nothing to press.
           {"&&", "&", -1, ""},
           {"...", "...", -1, ""},
           {"", "", -1, ""},
           {"Go&", "Go&", 0, "g"},  // a mark at the end marks nothing
       }) {
    const TShownCaption shown = ShownCaption(c.caption);
    EXPECT_EQ(shown.Text, c.text) << c.caption;
    EXPECT_EQ(shown.Key, c.key) << c.caption;
    EXPECT_EQ(AcceleratorOf(c.caption), c.accelerator) << c.caption;
  }
}

}  // namespace
