#pragma once
// The result-pane tests' view: a component data on a recording fake
// console, one view (TIComponent) of it, and the console's moves: data
// objects, expansion, selection and showing of nodes. TComponentView is the
// view alone (a fixture of another kind adds it beside its own);
// ComponentViewTest is the fixture over it on the local computer PC7.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/testing/TestFiles.h"
#include "platform/text/Utf.h"
#include "platform/ui/testing/RecordingPresenter.h"
#include "snapin/KRComponentData.h"
#include "snapin/KRDBMComponent.h"
#include "snapin/KRDBMComponent_TestConsole.h"
#include "snapin/KRDBMDataObj.h"

class TComponentView {
 protected:
  ComPtr<TKRComponentData> data_ = MakeComObject<TKRComponentData>();
  ComPtr<FakeConsole> console_ = MakeComObject<FakeConsole>();
  ComPtr<TIComponent> component_;

  // Initializes the component data on the console and creates the view.
  void StartView() {
    ASSERT_EQ(data_->Initialize(console_->UnknownSelf()), S_OK);
    ComPtr<IComponent> created;
    ASSERT_EQ(data_->CreateComponent(created.ReleaseAndGetAddressOf()), S_OK);
    component_ = static_cast<TIComponent*>(created.Get());
    ASSERT_EQ(component_->Initialize(console_.Get()), S_OK);
  }

  TKRFolder& Root() { return *data_->GetRootFolder(); }
  TKRFolder& Workstations() { return *Root().Childs()[0]; }
  TKRFolder& DatabaseGroups() { return *Root().Childs()[1]; }
  TKRFolder& Local() { return *Workstations().Childs()[0]; }
  TKRFolder& Servers() { return *Local().Childs()[0]; }

  ComPtr<IDataObject> DataOf(MMC_COOKIE cookie, DATA_OBJECT_TYPES type = CCT_SCOPE) {
    ComPtr<IDataObject> object;
    EXPECT_EQ(component_->QueryDataObject(cookie, type, object.ReleaseAndGetAddressOf()), S_OK);
    return object;
  }
  ComPtr<IDataObject> DataOf(const TKRFolder& folder) { return DataOf(folder.Cookie()); }
  ComPtr<IDataObject> DataOf(const TKRResultData& item) {
    return DataOf(item.Cookie(), CCT_RESULT);
  }

  // The first expansion of a folder, as the console sends it; the static
  // node gets the handle 500.
  void Expand(const TKRFolder& folder) {
    const HSCOPEITEM handle = folder.Cookie() == 0 ? 500 : folder.ScopeItem()->ID;
    ASSERT_EQ(data_->Notify(DataOf(folder).Get(), MMCN_EXPAND, TRUE, handle), S_OK);
  }
  // Expands the fixed part of the tree down to the local "Servers".
  void ExpandFixedFolders() {
    Expand(Root());
    Expand(Workstations());
    Expand(Local());
  }

  static constexpr LPARAM SelectArg(bool scope, bool select) {
    return LPARAM(scope ? 1 : 0) | (LPARAM(select ? 1 : 0) << 16);
  }
  // What the console sends when the user selects a scope node: the selection
  // and the showing of its result pane.
  void SelectNode(const TKRFolder& folder) {
    const ComPtr<IDataObject> object = DataOf(folder);
    ASSERT_EQ(component_->Notify(object.Get(), MMCN_SELECT, SelectArg(true, true), 0), S_OK);
    ASSERT_EQ(component_->Notify(object.Get(), MMCN_SHOW, TRUE, 0), S_OK);
  }

  // A new folder attached under `parent` and handed to the console.
  TKRFolder& AddFolder(TKRFolder& parent, const std::string& name, TKRFolderType type,
                       int image = 3) {
    auto folder = std::make_unique<TKRFolder>();
    folder->Init(name, image, image, type, true);
    TKRFolder& attached = *TKRFolder::SetParent(std::move(folder), parent);
    data_->FillFolderWithDefaults(attached, parent);
    console_->InsertItem(attached.ScopeItem());
    return attached;
  }
  static TKRResultData& AddItem(TKRFolder& folder, std::vector<std::string> columns) {
    auto item = std::make_unique<TKRResultData>();
    item->Columns() = std::move(columns);
    return *TKRResultData::SetParent(std::move(item), folder);
  }

  // The column titles the header control holds.
  std::vector<std::string> Titles() const {
    std::vector<std::string> titles;
    for (const auto& column : console_->header->columns)
      titles.push_back(Utf16ToUtf8(column.title));
    return titles;
  }
  // The text the component answers for column `column` of a listed row.
  std::string RowText(const RESULTDATAITEM& row, int column) {
    RESULTDATAITEM asked{};
    asked.mask = RDI_STR;
    asked.bScopeItem = row.bScopeItem;
    asked.lParam = row.lParam;
    asked.nCol = column;
    EXPECT_EQ(component_->GetDisplayInfo(&asked), S_OK);
    return Utf16ToUtf8(asked.str);
  }
  // Column 0 of every listed row.
  std::vector<std::string> ListedNames() {
    std::vector<std::string> names;
    for (const auto& row : console_->results->rows) names.push_back(RowText(row, 0));
    return names;
  }
};

class ComponentViewTest : public ::testing::Test, public TComponentView {
 protected:
  void SetUp() override { StartView(); }

  ScopedEnv computer_{"VAZERIR_COMPUTERNAME", "PC7"};
};
