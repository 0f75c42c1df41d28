// Folder contents that come from a server: the schemas of a server and the
// databases of a schema.

#include "platform/text/Utf.h"
#include "snapin/KRComponentData.h"
#include "snapin/KRComponentData_Connections.h"
#include "snapin/KRStrings.h"

namespace {

// The image of a schema folder.
constexpr int kSchemaImage = 6;

}  // namespace

void TKRComponentData::CreateServerItems(TKRFolder& folder, TKRNodeTypes nodeTypes) {
  if (folder.FolderType() != krftServer) return;
  try {
    const ComPtr<IKRServer> server = NewServerProxy(folder.SearchForParentComputer(), &folder);
    TKRProxyDisconnector disconnect{{server.Get()}};
    if (!nodeTypes.Contains(krntFolder)) return;
    RemoveChildFolders(folder);
    if (!server->CheckConnected()) {
      ShowSnapinMessage(krsUnableToConnect);
      return;
    }
    ForEachString(server->Get_SchemaNames().Get(), [&](const std::u16string& name) {
      ForEachString(server->Get_SchemaVersions(name).Get(), [&](const std::u16string& version) {
        AddDisplayedFolder(folder, Utf16ToUtf8(name + u" - " + version), kSchemaImage,
                           krftSchemaName, true);
        FIsDirty = true;
        folder.SetDirty(false);
      });
    });
  } catch (const Exception&) {
    ShowSnapinMessage(krsUnableToConnect);
  }
}

void TKRComponentData::CreateSchemaItems(TKRFolder& folder, TKRNodeTypes nodeTypes) {
  if (folder.FolderType() != krftSchemaName) return;
  try {
    const ComPtr<IKRServer> server = NewServerProxy(folder.SearchParentFolderByType(krftComputer),
                                                    folder.SearchParentFolderByType(krftServer));
    TKRProxyDisconnector disconnect{{server.Get()}};
    if (!nodeTypes.Contains(krntFolder)) return;
    RemoveChildFolders(folder);
    if (!server->CheckConnected()) {
      ShowSnapinMessage(krsUnableToConnect);
      return;
    }
    const ComPtr<IKRStringList> schemaNames = server->Get_SchemaNames();
    if (!schemaNames || schemaNames->Get_Count() == 0) return;
    std::string version, schemaName;
    GetSchemaNameVersion(folder.ColumnText(0), version, schemaName);
    const ComPtr<IKRSchema> schema = NewSchemaProxy(server.Get(), schemaName, version);
    disconnect.Add(schema.Get());
    if (!schema->CheckConnected()) {
      ShowSnapinMessage(krsUnableToConnect);
      return;
    }
    ForEachString(schema->Get_DatabaseNames().Get(), [&](const std::u16string& database) {
      CreateServerDatabaseFolder(Utf16ToUtf8(database), folder);
    });
  } catch (const Exception&) {
    ShowSnapinMessage(krsUnableToConnect);
  }
}

void TKRComponentData::CreateServerDBItems(TKRFolder& folder, TKRNodeTypes) {
  if (folder.FolderType() == krftServerDB) folder.SetDirty(false);
}
