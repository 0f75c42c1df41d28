#pragma once
// The process-wide read-only colour: the colour a read-only edit paints
// with, derived from the user's window colour so that it reads as "not for
// typing" in light and dark schemes alike. It is computed when first asked
// for after start-up or after ResetApplicationColors (which the edits call
// when the system colours change). Console thread only.

#include "platform/ui/Color.h"

// The stored value that means "not computed yet".
inline constexpr TColor kReadOnlyColorUnset = 0x1FFFFFFF;

// On a main window's screen of 256 colours or fewer, the button face
// colour. Otherwise, from the window colour's lightness: a grey window
// colour gives the button face at 0.9 times that lightness when light, at
// 1.3 times it (at least 0.25) when dark; a coloured one is made 10 %
// darker when light, 20 % lighter when dark.
void RecalcApplicationColors();
TColor GetApplicationReadOnlyColor();
void ResetApplicationColors();
