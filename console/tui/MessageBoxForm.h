#pragma once
// The form that stands for a platform message box on the terminal: the
// caption ("Error" when empty, as on the platform), the icon of the MB_ICON*
// flags, the text wrapped within half the screen's width (and within the
// screen's width less the frame and margins, splitting a longer word), and
// one button per
// answer of the button type, whose modal result is that answer (IDOK,
// IDYES, ...). The MB_DEFBUTTONn button is the default one and has the
// focus (the first when there is no n-th); the declining answer (see
// DecliningAnswer) is the cancel button, so Esc always answers something the
// box offers. Laid out on whole cells and centred on the screen.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ui/Form.h"

// nullptr for a button type outside 0 .. 6.
std::unique_ptr<TForm> CreateMessageBoxForm(const std::string& text, const std::string& caption,
                                            uint32_t flags);
