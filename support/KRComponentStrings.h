#pragma once
// The string table of the module's components (the support units and the
// data-set components): user-visible texts by number. The table is
// registered once, under its own module handle, the first time a text is
// asked for; the translation file named by $VAZERIR_STRINGS replaces texts,
// so one file translates these and the snap-in's texts alike.

#include <string>

#include "platform/win32/Resources.h"
#include "platform/win32/WinTypes.h"

// The caption and the text of the box that shows a failure trapped at a
// proxy's interface: class name, message, address, where it was trapped,
// the component's name and class name.
inline constexpr UINT krsSafeCallExceptionTitle = 10404;
inline constexpr UINT krsSafeCallExceptionText = 10405;
// The display values of boolean fields.
inline constexpr UINT krsBooleanTrue = 10406;
inline constexpr UINT krsBooleanFalse = 10407;
// Message-box captions (warning, error, information, confirmation) and
// button texts (Yes ... Help, in the order of the box's buttons).
inline constexpr UINT krsMsgDlgWarning = 14605;
inline constexpr UINT krsMsgDlgButtonYes = 14609;
// Duration unit names, auto to week, then month and year.
inline constexpr UINT krsDurationAuto = 14659;
inline constexpr UINT krsDurationMonth = 14669;
inline constexpr UINT krsDurationYear = 14670;
inline constexpr UINT krsInvalidDate = 14665;
inline constexpr UINT krsInvalidDurationUnit = 14666;

// The English texts built into the module.
StringTable ComponentStringTable();
// The handle the components' texts are registered under.
HINSTANCE ComponentsInstance();
// The text of string `id` (empty for an unknown number).
std::string ComponentString(UINT id);
