// The Create Scenario command: a new scenario of a database, below the
// actual plan or one of its root scenarios, with the name, description and
// visibility the user gives.

#include "dialogs/KRNewScenario_DLG.h"
#include "objectmodel/KRAPI_UNT.h"
#include "objectmodel/KRAPI_UNT_Strings.h"
#include "objectmodel/KRDataSet_CO_Scenario.h"
#include "platform/text/Utf.h"
#include "platform/ui/Application.h"
#include "platform/ui/MessageBox.h"
#include "snapin/KRComponentData.h"
#include "snapin/KRComponentData_Connections.h"

namespace {

// The database's actual plan ("Root") and its root scenarios, the parents a
// new scenario may have.
std::vector<std::string> AvailableParents(IKRSession& session) {
  const ComPtr<IKRDatabase> database = session.Get_Database();
  const KSHandle server = database->Get_Schema()->Get_Server()->Get_Handle();
  int32_t count = 0;
  const TKRAPIString* names = KRAPI().KSGetAvailableTransactions(
      server, ConvertWideStringToAPIString(database->Get_Name()), 1, &count);
  std::vector<std::string> parents;
  AddAPIStrings(parents, names != nullptr ? count : 0, names);
  return parents;
}

}  // namespace

ComPtr<IKRScenario> TKRComponentData::CreateScenario(const std::u16string& name,
                                                     const std::u16string& description,
                                                     int32_t visibility,
                                                     IKRBaseTransaction* parent,
                                                     int32_t& refusal) {
  ComPtr<IKRScenario> scenario = MakeComObject<TKRScenarioInterface>();
  scenario->Set_ParentTransaction(parent);
  scenario->Set_Name(name);
  scenario->Set_Visibility(visibility);
  if (!description.empty()) scenario->Set_Description(description);
  refusal = 0;
  if (scenario->CheckConnected()) return scenario;
  refusal = scenario->Get_LastError();
  return nullptr;
}

void TKRComponentData::AddScenario(TKRFolder& scenariosFolder) {
  const ComPtr<IKRSession> session = OpenDatabaseSession(scenariosFolder, false);
  if (!session) return;
  TKRProxyDisconnector disconnect{{session.Get()}};

  const std::vector<std::string> parents = AvailableParents(*session);
  TKRNewScenarioDlg dialog;
  dialog.SetKnownNames(&parents);
  if (dialog.ShowModal() != mrOk) return;
  // The proxy of the chosen parent finds the existing scenario by its name.
  const ComPtr<IKRScenario> parent = MakeComObject<TKRScenarioInterface>();
  parent->Set_ParentTransaction(session->Get_RootTransaction().Get());
  parent->Set_Name(Utf8ToUtf16(dialog.GetParentScenario()));
  int32_t refusal = 0;
  const ComPtr<IKRScenario> scenario =
      CreateScenario(Utf8ToUtf16(dialog.NewName()), Utf8ToUtf16(dialog.GetDescription()),
                     dialog.GetVisibility(), parent.Get(), refusal);
  if (!scenario) {
    // The user learns why nothing was created (a name taken by a scenario
    // they cannot see, a parent that went away, ...).
    const KSStatus reason = refusal != 0 ? refusal : parent->Get_LastError();
    MessageBox(Utf16ToUtf8(session->GetErrorText(reason)), Application().Title(),
               MB_OK | MB_ICONERROR);
    return;
  }
  scenariosFolder.SetDirty(true);
}
