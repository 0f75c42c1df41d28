#include <gtest/gtest.h>

#include "platform/testing/TestFiles.h"
#include "platform/text/Utf.h"
#include "snapin/KRComponentData.h"
#include "snapin/KRDBMComponent.h"
#include "snapin/KRDBMComponent_TestConsole.h"
#include "snapin/KRDBMDataObj.h"
#include "snapin/KRImages.h"

namespace {

class ScopePane : public ::testing::Test {
 protected:
  ScopedEnv computer_{"VAZERIR_COMPUTERNAME", "PC7"};
  ComPtr<TKRComponentData> data_ = MakeComObject<TKRComponentData>();
  ComPtr<FakeConsole> console_ = MakeComObject<FakeConsole>();

  void SetUp() override { ASSERT_EQ(data_->Initialize(console_->UnknownSelf()), S_OK); }

  ComPtr<IDataObject> ScopeObject(MMC_COOKIE cookie) {
    ComPtr<IDataObject> object;
    EXPECT_EQ(data_->QueryDataObject(cookie, CCT_SCOPE, object.ReleaseAndGetAddressOf()), S_OK);
    return object;
  }
  HRESULT Expand(const TKRFolder& folder, HSCOPEITEM handle) {
    return data_->Notify(ScopeObject(folder.Cookie()).Get(), MMCN_EXPAND, TRUE, handle);
  }
  HRESULT Delete(const TKRFolder& folder) {
    return data_->Notify(ScopeObject(folder.Cookie()).Get(), MMCN_DELETE, 0, 0);
  }
  std::string DisplayName(const TKRFolder& folder) {
    SCOPEDATAITEM item{};
    item.lParam = folder.Cookie();
    EXPECT_EQ(data_->GetDisplayInfo(&item), S_OK);
    return Utf16ToUtf8(item.displayname);
  }
  // The names of the items inserted so far, in order.
  std::vector<std::string> InsertedNames() {
    std::vector<std::string> names;
    for (const auto& item : console_->inserted) {
      names.push_back(reinterpret_cast<TKRFolder*>(item.lParam)->ColumnText(0));
    }
    return names;
  }

  TKRFolder& Root() { return *data_->GetRootFolder(); }
  TKRFolder& Workstations() { return *Root().Childs()[0]; }
  TKRFolder& DBGroups() { return *Root().Childs()[1]; }
  TKRFolder& Local() { return *Workstations().Childs()[0]; }
  static TKRFolder& ServersOf(TKRFolder& workstation) { return *workstation.Childs()[0]; }

  static TKRFolder& Add(TKRFolder& parent, const std::string& name, TKRFolderType type) {
    auto folder = std::make_unique<TKRFolder>();
    folder->Init(name, 5, 5, type, true);
    return *TKRFolder::SetParent(std::move(folder), parent);
  }
  // Displays the path down to the local "Servers" folder.
  TKRFolder& DisplayedServers() {
    Expand(Root(), 500);
    Expand(Workstations(), Workstations().ScopeItem()->ID);
    Expand(Local(), Local().ScopeItem()->ID);
    return ServersOf(Local());
  }
};

TEST_F(ScopePane, InitializeHandsOverTheImageStrips) {
  ASSERT_TRUE(console_->scopeImages->strips.has_value());
  const FakeImageList::Strips& strips = *console_->scopeImages->strips;
  EXPECT_EQ(strips.small.Width, 256);
  EXPECT_EQ(strips.small.Height, 16);
  EXPECT_EQ(strips.large.Width, 512);
  EXPECT_EQ(strips.large.Height, 32);
  EXPECT_EQ(strips.small.Bytes.size(), 256u * 16 / 2);
  EXPECT_EQ(strips.large.Bytes.size(), 512u * 32 / 2);
  EXPECT_EQ(strips.start, 0);
  EXPECT_EQ(strips.mask, 0x00FF00FFu);
  // The bitmaps stay the snap-in's and are freed after the call.
  EXPECT_EQ(GetBitmapResource(strips.smallHandle), nullptr);
  EXPECT_EQ(GetBitmapResource(strips.largeHandle), nullptr);
  EXPECT_NE(data_->Console(), nullptr);
  EXPECT_EQ(data_->ConsoleVerb(), console_->verb.Get());
  EXPECT_EQ(data_->ConsoleNameSpace(), static_cast<IConsoleNameSpace*>(console_.Get()));
}

TEST_F(ScopePane, InitializeFailsWithTheConsole) {
  auto data = MakeComObject<TKRComponentData>();
  auto console = MakeComObject<FakeConsole>();
  console->offerNameSpace = false;
  EXPECT_EQ(data->Initialize(console->UnknownSelf()), E_NOINTERFACE);
  console->offerNameSpace = true;
  console->scopeImageListAnswer = E_OUTOFMEMORY;
  EXPECT_EQ(data->Initialize(console->UnknownSelf()), E_OUTOFMEMORY);
  console->scopeImageListAnswer = S_OK;
  console->scopeImages->answer = E_INVALIDARG;
  EXPECT_EQ(data->Initialize(console->UnknownSelf()), E_INVALIDARG);
  EXPECT_EQ(data->Initialize(nullptr), E_POINTER);
}

TEST_F(ScopePane, ExpandingTheStaticNodeInsertsTheFirstClassFolders) {
  EXPECT_EQ(Expand(Root(), 500), S_OK);
  EXPECT_EQ(InsertedNames(), (std::vector<std::string>{"Workstations", "Database Groups"}));
  EXPECT_EQ(data_->StaticRoot(), 500);
  EXPECT_TRUE(Root().Enumerated());
  EXPECT_EQ(Root().Cookie(), 0);
  for (const auto& item : console_->inserted) {
    EXPECT_EQ(item.relativeID, 500);
    EXPECT_NE(item.mask & SDI_PARAM, 0u);
    EXPECT_EQ(reinterpret_cast<TKRFolder*>(item.lParam)->Cookie(), item.lParam);
    EXPECT_EQ(item.displayname, MMC_CALLBACK);
  }
  EXPECT_EQ(Workstations().ScopeItem()->ID, 1001);

  // The console asks for the texts; each stays valid after later calls.
  SCOPEDATAITEM first{};
  first.lParam = Workstations().Cookie();
  data_->GetDisplayInfo(&first);
  EXPECT_EQ(DisplayName(DBGroups()), "Database Groups");
  EXPECT_EQ(Utf16ToUtf8(first.displayname), "Workstations");
  EXPECT_EQ(DisplayName(Root()), "NorvikSCS VuzivuZezera");
  SCOPEDATAITEM unknown{};
  unknown.lParam = -1;
  EXPECT_EQ(data_->GetDisplayInfo(&unknown), S_OK);
  EXPECT_EQ(Utf16ToUtf8(unknown.displayname), "");
  EXPECT_EQ(data_->GetDisplayInfo(nullptr), E_POINTER);
}

TEST_F(ScopePane, ChildrenAreInsertedOnce) {
  Expand(Root(), 500);
  EXPECT_EQ(data_->Notify(ScopeObject(0).Get(), MMCN_EXPAND, FALSE, 500), S_OK);  // collapse
  Expand(Root(), 500);  // a second first expansion
  EXPECT_EQ(console_->inserted.size(), 2u);

  // A folder made under a displayed parent is inserted then, not again.
  TKRFolder& servers = DisplayedServers();
  TKRFolder& server = Add(servers, "OS1", krftServer);
  data_->FillFolderWithDefaults(server, servers);
  console_->InsertItem(server.ScopeItem());
  const size_t before = console_->inserted.size();
  Expand(servers, servers.ScopeItem()->ID);
  EXPECT_EQ(console_->inserted.size(), before);
  EXPECT_TRUE(servers.Enumerated());
}

TEST_F(ScopePane, WorkstationsAndTheirServersAreDeleted) {
  TKRFolder& servers = DisplayedServers();
  EXPECT_EQ(Delete(Local()), S_FALSE);  // the local workstation stays
  EXPECT_EQ(Delete(servers), S_FALSE);
  EXPECT_EQ(Delete(Workstations()), S_FALSE);
  EXPECT_EQ(Delete(Root()), S_FALSE);
  EXPECT_FALSE(data_->GetIsDirty());  // a refused deletion changes nothing

  TKRFolder* other = data_->CreateComputerFolder("build", Workstations());
  Add(ServersOf(*other), "OS9", krftServer);
  Expand(Workstations(), Workstations().ScopeItem()->ID);  // inserts the new workstation
  Expand(*other, other->ScopeItem()->ID);
  Expand(ServersOf(*other), ServersOf(*other).ScopeItem()->ID);
  const HSCOPEITEM otherId = other->ScopeItem()->ID;
  const HSCOPEITEM serverId = ServersOf(*other).Childs()[0]->ScopeItem()->ID;
  ASSERT_TRUE(console_->IsLive(serverId));

  EXPECT_EQ(Delete(*other), S_OK);
  EXPECT_EQ(console_->deleted, (std::vector<HSCOPEITEM>{otherId}));
  EXPECT_FALSE(console_->IsLive(serverId));
  EXPECT_EQ(Workstations().Childs().size(), 1u);
  EXPECT_EQ(data_->FolderOfCookie(reinterpret_cast<MMC_COOKIE>(other)), nullptr);
  EXPECT_TRUE(data_->GetIsDirty());  // the document must be saved to keep it
}

TEST_F(ScopePane, ALocalWorkstationInAnotherCaseIsNotDeleted) {
  TKRFolder& twin = Add(Workstations(), "Pc7", krftComputer);
  twin.PrepareScopeItem(0);
  EXPECT_EQ(Delete(twin), S_FALSE);
}

TEST_F(ScopePane, OnlyServersAndGroupsBelowAWorkstationAreDeleted) {
  TKRFolder& servers = DisplayedServers();
  TKRFolder& server = Add(servers, "OS1", krftServer);
  data_->FillFolderWithDefaults(server, servers);
  console_->InsertItem(server.ScopeItem());
  TKRFolder& schema = Add(server, "A - 1.0", krftSchemaName);
  data_->FillFolderWithDefaults(schema, server);
  console_->InsertItem(schema.ScopeItem());
  TKRFolder* database = data_->CreateServerDatabaseFolder("Sales", schema);

  EXPECT_EQ(Delete(schema), S_FALSE);
  EXPECT_EQ(Delete(*database), S_FALSE);
  EXPECT_EQ(Delete(*database->Childs()[0]), S_FALSE);  // "Users"
  EXPECT_TRUE(console_->deleted.empty());

  const HSCOPEITEM serverId = server.ScopeItem()->ID;
  EXPECT_EQ(Delete(server), S_OK);
  EXPECT_EQ(console_->deleted, (std::vector<HSCOPEITEM>{serverId}));
  EXPECT_TRUE(servers.Childs().empty());

  TKRFolder& group = Add(DBGroups(), "Dumps", krftDBGroup);
  group.PrepareScopeItem(0);  // handed over, never inserted: nothing to delete in the console
  EXPECT_EQ(Delete(group), S_OK);
  EXPECT_TRUE(DBGroups().Childs().empty());
  EXPECT_EQ(console_->deleted.size(), 1u);
}

TEST_F(ScopePane, ForeignDataObjectsChangeNothing) {
  EXPECT_EQ(data_->Notify(nullptr, MMCN_EXPAND, TRUE, 500), S_OK);
  EXPECT_EQ(data_->Notify(nullptr, MMCN_DELETE, 0, 0), S_FALSE);
  EXPECT_EQ(data_->Notify(nullptr, MMCN_RENAME, 0, reinterpret_cast<LPARAM>(u"x")), S_FALSE);
  EXPECT_EQ(data_->Notify(DOBJ_CUSTOMOCX, MMCN_EXPAND, TRUE, 500), S_OK);
  EXPECT_EQ(data_->Notify(ScopeObject(0).Get(), MMCN_SELECT, 1, 0), S_OK);
  EXPECT_TRUE(console_->inserted.empty());
  EXPECT_EQ(data_->StaticRoot(), 0);
  // An unset cookie designates no folder, not the first undisplayed one.
  EXPECT_EQ(data_->Notify(ScopeObject(-1).Get(), MMCN_RENAME, 0, reinterpret_cast<LPARAM>(u"x")),
            S_FALSE);
  EXPECT_EQ(data_->Notify(ScopeObject(-1).Get(), MMCN_EXPAND, TRUE, 500), S_OK);
  EXPECT_TRUE(console_->inserted.empty());
}

TEST_F(ScopePane, RenameKeepsTheUniqueCodeAndMarksTheDocument) {
  TKRFolder& servers = DisplayedServers();
  TKRFolder& server = Add(servers, "OS1", krftServer);
  server.PrepareScopeItem(servers.ScopeItem()->ID);
  const std::string code = server.GetUniqueCode();
  const auto rename = [&](const char16_t* name) {
    return data_->Notify(ScopeObject(server.Cookie()).Get(), MMCN_RENAME, 0,
                         reinterpret_cast<LPARAM>(name));
  };
  EXPECT_EQ(rename(nullptr), S_FALSE);
  EXPECT_FALSE(data_->GetIsDirty());
  EXPECT_EQ(rename(u"\u00C9tage-2"), S_OK);
  EXPECT_TRUE(data_->GetIsDirty());
  EXPECT_EQ(server.ColumnText(0), "\xC3\x89tage-2");
  EXPECT_EQ(server.GetUniqueCode(), code);
  EXPECT_EQ(DisplayName(server), "\xC3\x89tage-2");
  EXPECT_EQ(rename(nullptr), S_FALSE);
  EXPECT_EQ(server.ColumnText(0), "\xC3\x89tage-2");
}

TEST_F(ScopePane, CompareObjectsLooksAtTheCookies) {
  const MMC_COOKIE cookie = Workstations().Identity();
  ComPtr<IDataObject> a = ScopeObject(cookie);
  ComPtr<IDataObject> b;
  data_->QueryDataObject(cookie, CCT_RESULT, b.ReleaseAndGetAddressOf());
  EXPECT_NE(a.Get(), b.Get());
  EXPECT_EQ(data_->CompareObjects(a.Get(), b.Get()), S_OK);
  EXPECT_EQ(data_->CompareObjects(a.Get(), ScopeObject(0).Get()), S_FALSE);
  EXPECT_EQ(data_->CompareObjects(a.Get(), nullptr), S_FALSE);
  EXPECT_EQ(data_->CompareObjects(nullptr, nullptr), S_FALSE);
}

TEST_F(ScopePane, QueryDataObjectRecordsTheFolderType) {
  Expand(Root(), 500);
  ComPtr<IDataObject> object = ScopeObject(DBGroups().Cookie());
  const std::unique_ptr<TKRInternal> internal = ExtractInternalFormat(object.Get());
  ASSERT_NE(internal, nullptr);
  EXPECT_EQ(internal->GetType(), CCT_SCOPE);
  EXPECT_EQ(internal->GetCookie(), DBGroups().Cookie());
  EXPECT_EQ(internal->GetClsid(), CLSID_KRComponentData);
  HGLOBAL block = nullptr;
  ASSERT_EQ(
      ExtractFromDataObject(object.Get(), RegisterClipboardFormatA("CCF_NODETYPE"), 16, block),
      S_OK);
  EXPECT_EQ(*static_cast<GUID*>(GlobalLock(block)), *FolderNodeType(krftDBGroups));
  GlobalUnlock(block);
  GlobalFree(block);
  EXPECT_EQ(data_->QueryDataObject(0, CCT_SCOPE, nullptr), E_POINTER);
}

TEST_F(ScopePane, RemovingChildFoldersTakesThemAll) {
  TKRFolder& servers = DisplayedServers();
  TKRFolder& server = Add(servers, "OS1", krftServer);
  data_->FillFolderWithDefaults(server, servers);
  console_->InsertItem(server.ScopeItem());
  std::vector<HSCOPEITEM> ids;
  for (int i = 0; i < 5; ++i) {
    TKRFolder& schema = Add(server, "S - " + std::to_string(i), krftSchemaName);
    data_->FillFolderWithDefaults(schema, server);
    console_->InsertItem(schema.ScopeItem());
    ids.push_back(schema.ScopeItem()->ID);
  }
  data_->RemoveChildFolders(server);
  EXPECT_TRUE(server.Childs().empty());
  EXPECT_EQ(console_->deleted, ids);
}

TEST_F(ScopePane, DestroyReleasesTheConsole) {
  EXPECT_EQ(data_->Destroy(), S_OK);
  EXPECT_EQ(data_->Console(), nullptr);
  EXPECT_EQ(data_->ConsoleNameSpace(), nullptr);
  EXPECT_EQ(data_->ConsoleVerb(), nullptr);
  // Without a console the tree still answers, and deletions stay in the tree.
  TKRFolder& group = Add(DBGroups(), "Dumps", krftDBGroup);
  group.PrepareScopeItem(7);
  group.ScopeItem()->ID = 8;
  EXPECT_EQ(Delete(group), S_OK);
  EXPECT_TRUE(console_->deleted.empty());
}

TEST_F(ScopePane, CreateComponentTiesTheViewToThisObject) {
  ComPtr<IComponent> component;
  ASSERT_EQ(data_->CreateComponent(component.ReleaseAndGetAddressOf()), S_OK);
  ASSERT_NE(component, nullptr);
  EXPECT_EQ(static_cast<TIComponent*>(component.Get())->ComponentData(), data_.Get());
  EXPECT_EQ(data_->CreateComponent(nullptr), E_POINTER);
}

TEST(SchemaNameVersion, SplitsAtTheFirstSeparator) {
  std::string version = "old", name = "old";
  TKRComponentData::GetSchemaNameVersion("Sales - 1.0", version, name);
  EXPECT_EQ(name, "Sales");
  EXPECT_EQ(version, "1.0");
  TKRComponentData::GetSchemaNameVersion("A - B - 2", version, name);
  EXPECT_EQ(name, "A");
  EXPECT_EQ(version, "B - 2");
  TKRComponentData::GetSchemaNameVersion(" - 3", version, name);
  EXPECT_EQ(name, "");
  EXPECT_EQ(version, "3");
  TKRComponentData::GetSchemaNameVersion("Sales-1.0", version, name);
  EXPECT_EQ(name, "");
  EXPECT_EQ(version, "");
}

TEST(ImageStrips, EveryImageHasANameAndTheStripsAgree) {
  for (int i = 0; i < kSnapinImageCount; ++i) EXPECT_FALSE(SnapinImageName(i).empty()) << i;
  EXPECT_EQ(SnapinImageName(1), "workstation");
  EXPECT_EQ(SnapinImageName(5), "server");
  EXPECT_EQ(SnapinImageName(-1), "");
  EXPECT_EQ(SnapinImageName(kSnapinImageCount), "");
  EXPECT_EQ(LoadSnapinBitmap("NOSUCHBITMAP"), nullptr);

  HBITMAP small = LoadSnapinBitmap("bmpsmall");  // names ignore case
  HBITMAP large = LoadSnapinBitmap(kLargeImagesName);
  const BitmapResource* s = GetBitmapResource(small);
  const BitmapResource* l = GetBitmapResource(large);
  ASSERT_NE(s, nullptr);
  ASSERT_NE(l, nullptr);
  std::string names;
  for (int i = 0; i < kSnapinImageCount; ++i) names += (i ? ";" : "") + SnapinImageName(i);
  EXPECT_EQ(s->Description, names);
  const auto pixel = [](const BitmapResource& b, int x, int y) {
    const uint8_t byte = b.Bytes[(static_cast<size_t>(y) * b.Width + x) / 2];
    return x % 2 == 0 ? byte >> 4 : byte & 0xF;
  };
  // The large strip is the small one at twice the size; the corners of the
  // first image are transparent, and every image draws something.
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 512; ++x)
      ASSERT_EQ(pixel(*l, x, y), pixel(*s, x / 2, y / 2)) << x << "," << y;
  }
  EXPECT_EQ(pixel(*s, 0, 0), kTransparentColorIndex);
  for (int image = 0; image < kSnapinImageCount; ++image) {
    int drawn = 0;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) drawn += pixel(*s, image * 16 + x, y) != kTransparentColorIndex;
    }
    EXPECT_GT(drawn, 16) << image;
  }
  DeleteObject(small);
  DeleteObject(large);
}

}  // namespace
