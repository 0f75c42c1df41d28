#pragma once
// Hotkeys of captions. A caption marks its hotkey with '&' before the
// character ("&Yes", "N&o to All"); "&&" stands for a literal '&'. A front
// end shows the caption without the marks and lets the marked character,
// in either case, act on the control.

#include <string>
#include <string_view>
#include <vector>

// The caption as shown: the marks removed, "&&" shown as '&' (and a '&' at
// the end as it stands).
std::string StripHotkey(std::string_view caption);

// The marked character, upper-cased when it is an ASCII letter; '\0' when
// the caption marks none (a '&' at the end marks nothing).
char GetHotkey(std::string_view caption);

// Gives every caption of a group (the buttons of one box) that marks no
// hotkey the first ASCII letter or digit of its text whose upper-cased form
// no other caption of the group uses yet, in order; captions that mark one
// keep it and are served first. A caption with no free character stays
// unmarked.
void MarkHotkeys(std::vector<std::string>& captions);
