#pragma once
// The snap-in's string table: user-visible texts by number. The table is
// registered once, under the snap-in's module handle, the first time a text
// is asked for; a translation file named by $VAZERIR_STRINGS replaces texts.

#include <exception>
#include <string>

#include "platform/win32/WinTypes.h"

inline constexpr UINT krsWorkstations = 15801;
inline constexpr UINT krsDatabaseGroups = 15802;
inline constexpr UINT krsServers = 15803;
inline constexpr UINT krsUnableToConnectDatabase = 15804;
inline constexpr UINT krsUnableToConnect = 15805;
inline constexpr UINT krsSnapinName = 15821;
inline constexpr UINT krsInvalidFolderType = 15843;
inline constexpr UINT krsUsers = 15859;
inline constexpr UINT krsScenarios = 15861;
inline constexpr UINT krsSnapinDisplayName = 65314;
// Context-menu items (text, status-bar text) and the commands' texts.
inline constexpr UINT krsMenuLoadIntoServer = 15807;
inline constexpr UINT krsStatusLoadIntoServer = 15808;
inline constexpr UINT krsMenuSaveDatabase = 15809;
inline constexpr UINT krsStatusSaveDatabase = 15810;
inline constexpr UINT krsMenuSaveAndCloseDatabase = 15811;
inline constexpr UINT krsStatusSaveAndCloseDatabase = 15812;
inline constexpr UINT krsMenuCloseDatabase = 15813;
inline constexpr UINT krsStatusCloseDatabase = 15814;
inline constexpr UINT krsMenuAddDatabaseGroup = 15815;
inline constexpr UINT krsStatusAddDatabaseGroup = 15816;
inline constexpr UINT krsMenuAddServer = 15817;
inline constexpr UINT krsStatusAddServer = 15818;
inline constexpr UINT krsMenuAddWorkstation = 15819;
inline constexpr UINT krsStatusAddWorkstation = 15820;
inline constexpr UINT krsMenuCreateEmptyDatabase = 15851;
inline constexpr UINT krsMenuCheckIntegrity = 15852;
inline constexpr UINT krsStatusCheckIntegrity = 15853;
inline constexpr UINT krsMenuCreateScenario = 15854;
inline constexpr UINT krsStatusCreateScenario = 15855;
inline constexpr UINT krsMenuCloseServer = 15856;
inline constexpr UINT krsStatusCloseServer = 15857;
inline constexpr UINT krsStatusCreateEmptyDatabase = 15858;
inline constexpr UINT krsAskFixErrors = 15863;
inline constexpr UINT krsIntegrityResult = 15864;
inline constexpr UINT krsNoErrorsFound = 15865;
inline constexpr UINT krsSelectDirectory = 15866;
// What a command did to a server, for the console's status line.
inline constexpr UINT krsStatusPlace = 15874;
inline constexpr UINT krsStatusLoaded = 15875;
inline constexpr UINT krsStatusNothingLoaded = 15876;
inline constexpr UINT krsStatusSaved = 15877;
inline constexpr UINT krsStatusSavedAndClosed = 15878;
inline constexpr UINT krsStatusClosedDatabase = 15879;
inline constexpr UINT krsStatusCreatedDatabase = 15880;
inline constexpr UINT krsStatusShutDown = 15881;
// Why a command's work was refused, in its error box.
inline constexpr UINT krsLoadRefused = 15882;
// Result-pane column titles and the context-help text.
inline constexpr UINT krsColumnName = 15831;
inline constexpr UINT krsColumnNumberOfItems = 15832;
inline constexpr UINT krsColumnNumberOfDatabases = 15833;
inline constexpr UINT krsColumnLocation = 15834;
inline constexpr UINT krsColumnNumberOfUsers = 15836;
inline constexpr UINT krsColumnSize = 15839;
inline constexpr UINT krsColumnDateSaved = 15840;
inline constexpr UINT krsContextHelp = 15842;
inline constexpr UINT krsColumnAdministrator = 15848;
// The administrator flag of a listed user.
inline constexpr UINT krsYes = 15846;
inline constexpr UINT krsNo = 15847;
inline constexpr UINT krsColumnHost = 15849;
inline constexpr UINT krsColumnPrivate = 15867;
inline constexpr UINT krsColumnProtected = 15868;
inline constexpr UINT krsColumnScenario = 15869;
inline constexpr UINT krsColumnCreatedBy = 15870;
inline constexpr UINT krsColumnCreationDate = 15871;
inline constexpr UINT krsColumnDescription = 15873;

// The handle the snap-in's resources are registered under.
HINSTANCE SnapinInstance();
// The text of string `id` (empty for an unknown number).
std::string SnapinString(UINT id);
// Shows string `id` in a plain message box: the application's title as
// caption and an OK button.
void ShowSnapinMessage(UINT id);
// The same with string `id` formatted with one argument in place of its %s.
void ShowSnapinMessage(UINT id, const std::string& argument);
// Shows a failure in the snap-in's error box: the application's title as
// caption, the error icon and an OK button.
void ShowSnapinError(const std::string& text);
// Shows a failure's message in the error box; a silent one (an abort, also
// as the object model passes it on) shows nothing.
void ShowSnapinFailure(const std::exception& failure);
