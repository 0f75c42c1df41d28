#include "dialogs/KRLoadDBIntoSvr_DLG.h"

#include <initializer_list>

#include "dialogs/KRDialogControls.h"
#include "dialogs/KRLoadDBIntoSvr_DLG_Schemas.h"
#include "platform/text/Locale.h"
#include "platform/win32/ComputerName.h"

namespace {

// The labels and boxes share one column.
constexpr int kColumnLeft = 40;
constexpr int kBoxWidth = 169;

TLabel& AddColumnLabel(TForm& form, std::string name, std::string caption, int top) {
  TLabel& label = form.Add<TLabel>(std::move(name));
  label.SetCaption(std::move(caption));
  label.SetLeft(kColumnLeft);
  label.SetTop(top);
  return label;
}

TComboBox& AddColumnBox(TForm& form, std::string name, int top, TNotifyEvent onChange) {
  auto& box = AddEditLike<TComboBox>(form, form, std::move(name), kColumnLeft, top, kBoxWidth);
  box.SetStyle(csDropDownList);
  box.OnChange = std::move(onChange);
  return box;
}

// Replaces the items of `box` by what `fill` adds, inside one update, and
// selects the first of them (none when there are none).
template <class Fill>
void Refill(TComboBox& box, Fill fill) {
  struct Update {
    TComboItems& items;
    explicit Update(TComboItems& i) : items(i) { items.BeginUpdate(); }
    ~Update() { items.EndUpdate(); }
  } update(box.Items());
  box.Clear();
  fill(box.Items());
  box.SetItemIndex(0);
}

void RefillWithAnswer(TComboBox& box, const TKRServerAnswer& answer) {
  if (!answer) return;
  Refill(box, [&answer](TComboItems& items) {
    for (const std::string& text : *answer) items.Add(text);
  });
}

bool HasSelection(const TComboBox& box) { return box.ItemIndex() >= 0; }

}  // namespace

TKRLoadBDIntoSvrDlg::TKRLoadBDIntoSvrDlg()
    : TKRLoadBDIntoSvrDlg(std::make_unique<TKRServerProxySchemaSource>()) {}

TKRLoadBDIntoSvrDlg::TKRLoadBDIntoSvrDlg(std::unique_ptr<IKRServerSchemaSource> schemas)
    : FSchemas(std::move(schemas)) {
  SetName("KRLoadBDIntoSvrDlg");
  SetCaption("Load database into server...");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(247);
  SetClientHeight(223);

  ComputerLabel = &AddColumnLabel(*this, "ComputerLabel", "Workstation:", 8);
  ComputerComboBox = &AddColumnBox(*this, "ComputerComboBox", 24,
                                   [this](TControl& sender) { ComputerComboBoxChange(sender); });
  ServerNameLabel = &AddColumnLabel(*this, "ServerNameLabel", "Server Name:", 56);
  ServerComboBox = &AddColumnBox(*this, "ServerComboBox", 72,
                                 [this](TControl& sender) { ServerComboBoxChange(sender); });
  ServerComboBox->Items().Add("New server...");
  SchemaNameLabel = &AddColumnLabel(*this, "SchemaNameLabel", "Schema Name:", 104);
  SchemaNameComboBox = &AddColumnBox(*this, "SchemaNameComboBox", 120, [this](TControl& sender) {
    SchemaNameComboBoxChange(sender);
  });
  SchemaVersionLabel = &AddColumnLabel(*this, "SchemaVersionLabel", "Schema Version:", 152);
  SchemaVersionComboBox =
      &AddColumnBox(*this, "SchemaVersionComboBox", 168,
                    [this](TControl& sender) { SchemaVersionComboBoxChange(sender); });

  OKBtn = &AddModalButton<TButton>(*this, *this, "OKBtn", "OK", 90, 196, mrOk);
  OKBtn->SetDefault(true);
  OKBtn->SetEnabled(false);
  OKBtn->SetAnchors(akRight | akBottom);
  CancelBtn = &AddModalButton<TButton>(*this, *this, "CancelBtn", "Cancel", 170, 196, mrCancel);
  CancelBtn->SetCancel(true);
  CancelBtn->SetAnchors(akRight | akBottom);

  int order = 0;
  for (TWinControl* control :
       std::initializer_list<TWinControl*>{OKBtn, CancelBtn, ServerComboBox, SchemaNameComboBox,
                                           SchemaVersionComboBox, ComputerComboBox}) {
    control->SetTabOrder(order++);
  }
}

void TKRLoadBDIntoSvrDlg::SetRootFolder(const TKRWorkstationTree* root) {
  if (!root) return;
  if (FRootFolder) throw EInvalidOperation("The load form already lists a tree");
  FRootFolder = *root;

  TComboItems& items = ComputerComboBox->Items();
  for (const TKRWorkstationEntry& workstation : FRootFolder->Workstations) {
    items.Add(workstation.Name, workstation.Folder);
  }
  const int local = items.IndexOf(ComputerName());
  ComputerComboBox->SetItemIndex(local >= 0 ? local : 0);
  if (HasSelection(*ComputerComboBox)) ComputerComboBoxChange(*ComputerComboBox);
}

void TKRLoadBDIntoSvrDlg::ComputerComboBoxChange(TControl&) {
  if (!HasSelection(*ComputerComboBox)) return;
  ServerComboBox->SetItemIndex(-1);
  // The workstation box lists exactly the tree's workstations, in order.
  FListedComputer = &FRootFolder->Workstations.at(size_t(ComputerComboBox->ItemIndex()));
  FComputerSelected = FListedComputer->Folder;

  Refill(*ServerComboBox, [this](TComboItems& items) {
    for (const TKRTreeEntry& server : FListedComputer->Servers)
      items.Add(server.Name, server.Folder);
  });
  if (HasSelection(*ServerComboBox)) ServerComboBoxChange(*ServerComboBox);
  EnableControls();
}

template <class Ask>
TKRServerAnswer TKRLoadBDIntoSvrDlg::AskSelectedServer(Ask ask) const {
  if (!FListedComputer || !HasSelection(*ServerComboBox)) return std::nullopt;
  return ask(AnsiLowerCase(FListedComputer->Name), ServerComboBox->Text());
}

void TKRLoadBDIntoSvrDlg::ServerComboBoxChange(TControl&) {
  if (!HasSelection(*ServerComboBox)) return;
  SchemaVersionComboBox->SetItemIndex(-1);
  SchemaNameComboBox->SetItemIndex(-1);
  FServerSelected = ServerComboBox->Items().Objects(ServerComboBox->ItemIndex());

  RefillWithAnswer(*SchemaNameComboBox,
                   AskSelectedServer([this](const std::string& host, const std::string& server) {
                     return FSchemas->SchemaNames(host, server);
                   }));
  if (HasSelection(*SchemaNameComboBox)) SchemaNameComboBoxChange(*SchemaNameComboBox);
  EnableControls();
}

void TKRLoadBDIntoSvrDlg::SchemaNameComboBoxChange(TControl&) {
  if (!HasSelection(*SchemaNameComboBox)) return;
  FSchemaName = SchemaNameComboBox->Text();
  SchemaVersionComboBox->SetItemIndex(-1);

  RefillWithAnswer(*SchemaVersionComboBox,
                   AskSelectedServer([this](const std::string& host, const std::string& server) {
                     return FSchemas->SchemaVersions(host, server, FSchemaName);
                   }));
  if (HasSelection(*SchemaVersionComboBox)) SchemaVersionComboBoxChange(*SchemaVersionComboBox);
  EnableControls();
}

void TKRLoadBDIntoSvrDlg::SchemaVersionComboBoxChange(TControl&) {
  FSchemaVersion = SchemaVersionComboBox->Text();
  EnableControls();
}

void TKRLoadBDIntoSvrDlg::EnableControls() {
  OKBtn->SetEnabled(HasSelection(*ComputerComboBox) && HasSelection(*ServerComboBox) &&
                    HasSelection(*SchemaNameComboBox) && HasSelection(*SchemaVersionComboBox));
}
