#include "snapin/KRStrings.h"

#include "platform/ui/Application.h"
#include "platform/ui/MessageBox.h"
#include "platform/win32/Resources.h"
#include "support/KRModuleStrings.h"

namespace {

StringTable SnapinStringTable() {
  return {
      {krsWorkstations, "Workstations"},
      {krsDatabaseGroups, "Database Groups"},
      {krsServers, "Servers"},
      {krsUsers, "Users"},
      {krsScenarios, "Scenarios"},
      {krsUnableToConnectDatabase, "Unable to connect to database: %s'"},
      {krsUnableToConnect, "Unable to establish connection with server."},
      {krsSnapinName, "NorvikSCS Vuzivu Zezera"},
      {krsInvalidFolderType, "Invalid folder type."},
      {krsSnapinDisplayName, "NorvikSCS VuzivuZezera"},
      {krsColumnName, "Name"},
      {krsColumnNumberOfItems, "Number of Items"},
      {krsColumnNumberOfDatabases, "Number of Databases"},
      {krsColumnLocation, "Location"},
      {krsColumnNumberOfUsers, "Number of Users"},
      {krsColumnSize, "Size"},
      {krsColumnDateSaved, "Date Saved"},
      {krsContextHelp, "Context help required for item: %s"},
      {krsColumnAdministrator, "Administrator"},
      {krsColumnHost, "Host"},
      {krsColumnPrivate, "Private"},
      {krsColumnProtected, "Protected"},
      {krsColumnScenario, "Scenario"},
      {krsColumnCreatedBy, "Created by"},
      {krsColumnCreationDate, "Creation date"},
      {krsColumnDescription, "Description"},
      {krsMenuLoadIntoServer, "Load Into Server..."},
      {krsStatusLoadIntoServer, "Loads selected database into specified server."},
      {krsMenuSaveDatabase, "Save Database"},
      {krsStatusSaveDatabase, "Saves selected database."},
      {krsMenuSaveAndCloseDatabase, "Save and Close Database"},
      {krsStatusSaveAndCloseDatabase, "Saves and closes selected database."},
      {krsMenuCloseDatabase, "Close database"},
      {krsStatusCloseDatabase, "Closes selected database without saving it."},
      {krsMenuAddDatabaseGroup, "Add Database Group..."},
      {krsStatusAddDatabaseGroup, "Creates a new database group."},
      {krsMenuAddServer, "Add Server..."},
      {krsStatusAddServer, "Creates a new server entry."},
      {krsMenuAddWorkstation, "Add Workstation..."},
      {krsStatusAddWorkstation, "Creates a new workstation entry."},
      {krsMenuCreateEmptyDatabase, "Create Empty Database..."},
      {krsMenuCheckIntegrity, "Check Integrity"},
      {krsStatusCheckIntegrity, "Check selected database integrity."},
      {krsMenuCreateScenario, "Create Scenario..."},
      {krsStatusCreateScenario, "Create a scenario into the selected database."},
      {krsMenuCloseServer, "Close"},
      {krsStatusCloseServer, "Shutdown selected server."},
      {krsStatusCreateEmptyDatabase, "Creates a new, empty database."},
      {krsAskFixErrors, "Do you want to automatically fix errors?"},
      {krsIntegrityResult, "Result: %s"},
      {krsNoErrorsFound, "No errors found."},
      {krsSelectDirectory, "Select directory"},
      {krsStatusPlace, "%0:s, %1:s %2:s"},
      {krsStatusLoaded, "Loaded %0:s into %1:s"},
      {krsStatusNothingLoaded, "Nothing was loaded from %0:s into %1:s"},
      {krsStatusSaved, "Saved %0:s on %1:s"},
      {krsStatusSavedAndClosed, "Saved and closed %0:s on %1:s"},
      {krsStatusClosedDatabase, "Closed %0:s on %1:s without saving it"},
      {krsStatusCreatedDatabase, "Created %0:s on %1:s"},
      {krsStatusShutDown, "Shut down %0:s on %1:s"},
      {krsLoadRefused, "Nothing was loaded from %0:s into %1:s: %2:s."},
  };
}

constinit TKRModuleStrings gSnapinStrings(SnapinStringTable);

}  // namespace

HINSTANCE SnapinInstance() { return gSnapinStrings.Instance(); }

std::string SnapinString(UINT id) { return gSnapinStrings.Text(id); }

void ShowSnapinMessage(UINT id) { MessageBox(SnapinString(id), Application().Title(), MB_OK); }

void ShowSnapinError(const std::string& text) {
  MessageBox(text, Application().Title(), MB_OK | MB_ICONERROR);
}
