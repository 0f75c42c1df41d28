#pragma once
// The snap-in's string table: user-visible texts by number. The table is
// registered once, under the snap-in's module handle, the first time a text
// is asked for; a translation file named by $VAZERIR_STRINGS replaces texts.

#include <string>

#include "platform/win32/WinTypes.h"

inline constexpr UINT krsWorkstations = 15801;
inline constexpr UINT krsDatabaseGroups = 15802;
inline constexpr UINT krsServers = 15803;
inline constexpr UINT krsUnableToConnect = 15805;
inline constexpr UINT krsSnapinName = 15821;
inline constexpr UINT krsInvalidFolderType = 15843;
inline constexpr UINT krsUsers = 15859;
inline constexpr UINT krsScenarios = 15861;
inline constexpr UINT krsSnapinDisplayName = 65314;

// The handle the snap-in's resources are registered under.
HINSTANCE SnapinInstance();
// The text of string `id` (empty for an unknown number).
std::string SnapinString(UINT id);
// Shows string `id` in a plain message box: the application's title as
// caption and an OK button.
void ShowSnapinMessage(UINT id);
