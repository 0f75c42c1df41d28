#pragma once
// The accelerators of button captions, as the platform marks them: the
// character after a single '&' ("&&" stands for '&' itself). A caption
// without a mark is pressed by its first letter or digit, as the buttons of
// message boxes are (Yes, No, Cancel, Retry, ...).

#include <string>
#include <string_view>

struct TShownCaption {
  std::string Text;  // the caption without its marks
  int Key = -1;      // the code point of Text that is the accelerator; -1: none
};

TShownCaption ShownCaption(std::string_view caption);

// The accelerator in lower case, as typed letters compare; empty for none.
std::string AcceleratorOf(std::string_view caption);
