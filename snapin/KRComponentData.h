#pragma once
// TKRComponentData: the snap-in object that the console creates. It owns the
// node tree for its whole life (reached only through GetRootFolder), knows
// the local computer's name, and keeps the console-state flag that tells the
// console whether its document needs saving.
//
// The tree's fixed part (root, "Workstations" with the local workstation and
// its "Servers", "Database Groups") exists from the first GetRootFolder on.
//
// Through IPersistStream the object writes the administrator's registrations
// (database groups, workstations, servers with their user names; never
// passwords) into the console document, and reads them back:
//   word 0, then records opened by a tag word, then the end tag 1;
//   2 database group: name, directory; 4 workstation: name;
//   3 server: server name, workstation name, user name (counted strings).
// Loading accepts records in any order and skips unknown tags word by word;
// a stream that ends before the end tag answers E_FAIL and keeps the records
// read in full before. Saving reports every failed write as STG_E_CANTSAVE.
//
// Through IComponentData the object answers the scope pane: expanding a node
// inserts the child folders the tree holds (children that already carry a
// console ID are not inserted again), renaming changes a folder's name,
// deleting removes servers, database groups and workstations other than the
// local one. Cookies from the console are looked up in the tree, never
// dereferenced; special cookies (-10..-1) designate no folder.
//
// Through IExtendContextMenu the object offers its commands on the nodes of
// the tree (KRComponentData_Menu.cpp) and runs them: the ones that add
// folders (KRComponentData_Commands_Tree.cpp) and the ones that reach a
// server (KRComponentData_Commands_Database.cpp). A command runs to its end
// inside the console's call; what it cannot do it shows to the user, and
// the call answers S_OK. A folder joins the tree and the console only after
// every step that can fail has succeeded.
//
// The pieces live in KRComponentData.cpp (tree construction),
// KRComponentData_Persist.cpp (the stream), KRComponentData_DBGroup.cpp
// (database-group contents), KRComponentData_Scope.cpp (the scope pane),
// KRComponentData_ServerItems.cpp (schemas and databases of a server),
// KRComponentData_Listings.cpp (users and scenarios of a database) and
// KRComponentData_Connections.cpp (the proxies they use, the connection
// chain to servers, schemas, databases and sessions, and the remembered
// passwords).

#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/com/ComPtr.h"
#include "platform/com/Stream.h"
#include "platform/com/Unknown.h"
#include "platform/mmc/MmcInterfaces.h"
#include "platform/mmc/PersistStream.h"
#include "snapin/KRFolder.h"
#include "snapin/KRPasswordContainer.h"

struct IKRServer;
struct IKRSchema;
struct IKRDatabase;
struct IKRSession;
struct IKRBaseTransaction;
struct IKRScenario;
class TKRInternal;

// The snap-in's class identifier.
inline constexpr CLSID CLSID_KRComponentData =
    GuidLiteral("{096D8D3A-B78A-11D2-BD6B-00805F536E80}");

// The snap-in's menu commands, by the identifiers the console hands back.
enum TKRMenuCommand : LONG {
  krmcLoadIntoServer = 1,
  krmcAddDatabaseGroup = 2,
  krmcAddServer = 3,
  krmcSaveAndCloseDatabase = 4,
  krmcCloseDatabase = 5,
  krmcSaveDatabase = 6,
  krmcAddWorkstation = 7,
  krmcCloseServer = 8,
  krmcCheckIntegrity = 9,
  krmcCreateScenario = 10,
  krmcCreateEmptyDatabase = 11,
};

class TKRComponentData : public ComObject<IComponentData, IPersistStream, IExtendContextMenu> {
 public:
  TKRComponentData();
  ~TKRComponentData() override;

  // IComponentData. Initialize takes the console's name space, console and
  // verbs, and hands the image strips to the scope image list; a failure of
  // those console calls is the answer. Notify handles MMCN_EXPAND, MMCN_RENAME
  // and MMCN_DELETE and answers S_OK for the others. Destroy releases the
  // console's interfaces. GetDisplayInfo answers a folder's name (the
  // snap-in's display name for the static node, empty for no folder); the
  // text stays valid until the next call for the same folder.
  HRESULT Initialize(IUnknown* console) override;
  HRESULT CreateComponent(IComponent** component) override;
  HRESULT Notify(IDataObject* dataObject, MMC_NOTIFY_TYPE event, LPARAM arg, LPARAM param) override;
  HRESULT Destroy() override;
  HRESULT QueryDataObject(MMC_COOKIE cookie, DATA_OBJECT_TYPES type,
                          IDataObject** dataObject) override;
  HRESULT GetDisplayInfo(SCOPEDATAITEM* scopeItem) override;
  // S_OK when both carry the snap-in's record with the same cookie.
  HRESULT CompareObjects(IDataObject* a, IDataObject* b) override;

  // Notification handlers. OnExpand inserts the children when `arg` is set
  // (S_OK); OnRename puts the wide text `param` into the folder's name (S_OK,
  // or S_FALSE without a folder or a text); OnDelete answers S_OK when it
  // deleted the folder, S_FALSE otherwise. A rename or deletion that was
  // done marks the console state dirty.
  HRESULT OnExpand(IDataObject* dataObject, LPARAM arg, LPARAM param);
  HRESULT OnRename(IDataObject* dataObject, LPARAM arg, LPARAM param);
  HRESULT OnDelete(IDataObject* dataObject);
  // Inserts the children of the data object's folder under the console
  // handle `parent` and marks the folder enumerated; for the static node
  // (cookie 0) records `parent` as the static root.
  void EnumerateScopePane(IDataObject* dataObject, HSCOPEITEM parent);
  // The folder a cookie from the console designates, or null.
  TKRFolder* FolderOfCookie(MMC_COOKIE cookie);
  // Deletes every child folder of `folder` from the console and the tree.
  void RemoveChildFolders(TKRFolder& folder);
  // The schemas of a krftServer folder, one folder "name - version" per
  // schema version, in the server's order; the databases of a
  // krftSchemaName folder, each with its "Users" and "Scenarios". Only when
  // `nodeTypes` holds krntFolder: the old child folders leave the console
  // and the tree first; the new ones are inserted at once. A server or
  // schema that cannot be reached is reported ("Unable to establish
  // connection with server.") and leaves the folder empty and dirty.
  void CreateServerItems(TKRFolder& folder, TKRNodeTypes nodeTypes);
  void CreateSchemaItems(TKRFolder& folder, TKRNodeTypes nodeTypes);
  // A krftServerDB folder's children are made with it: it is marked built.
  void CreateServerDBItems(TKRFolder& folder, TKRNodeTypes nodeTypes);
  // The result items of a krftUsers folder, one per session connected to
  // its database (two sessions of one user give two items): name, host,
  // "Yes" or "No" for an administrator and the last logon from the user's
  // row of "SYSUser" (found without regard to case), "-" for both without
  // a row. The items of a krftScenarios folder: one per transaction of the
  // database (in the database's order) whose row of "_DBTransaction" says
  // it is a version, with the texts of the row's name, isPrivate,
  // isProtected, isVersion, userName, StartDate and Description.
  // Both log on with OpenDatabaseSession (a failed or cancelled logon is
  // reported there) and clear the folder's dirty flag when the listing is
  // done. A failure while reading is shown in the error box; the items
  // read before stay, and the scenarios folder counts as listed, the users
  // folder as not. The folder is expected to hold no items.
  void CreateUsersItems(TKRFolder& folder, TKRNodeTypes nodeTypes);
  void CreateScenariosItems(TKRFolder& folder, TKRNodeTypes nodeTypes);
  // Splits "name - version" at the first " - "; both empty without one.
  static void GetSchemaNameVersion(const std::string& text, std::string& version,
                                   std::string& schemaName);

  // IPersist / IPersistStream. GetClassID and GetSizeMax fill in their
  // answers (the class identifier; 100) and still answer E_NOTIMPL, because
  // the console treats the stream as one of unknown size and class.
  HRESULT GetClassID(CLSID* classID) override;
  HRESULT IsDirty() override;
  HRESULT Load(IStream* stream) override;
  // S_OK or STG_E_CANTSAVE; a successful save clears the flag whatever
  // `clearDirty` says.
  HRESULT Save(IStream* stream, BOOL clearDirty) override;
  HRESULT GetSizeMax(ULARGE_INTEGER* size) override;

  void GetCoClassID(CLSID& classID) const { classID = CLSID_KRComponentData; }

  // IExtendContextMenu, answered by the two operations below.
  HRESULT AddMenuItems(IDataObject* dataObject, IContextMenuCallback* callback,
                       LONG* insertionAllowed) override;
  HRESULT Command(LONG commandID, IDataObject* dataObject) override;
  // Adds the items offered on the node of `dataObject`: "Load Into
  // Server..." on a result item of a database group; on a scope node by its
  // type: database groups "Add Database Group...", servers "Add Server...",
  // workstations "Add Workstation...", a server "Close", a schema "Create
  // Empty Database...", a database on a server "Save Database", "Save and
  // Close Database", "Close database", "Check Integrity" in that order, a
  // scenarios folder "Create Scenario...".
  // Other nodes, and data objects without the snap-in's record, get none.
  // The texts stay valid until the next call. S_OK (E_POINTER without a
  // callback).
  HRESULT ExtendContextMenuAddMenuItems(IDataObject* dataObject, IContextMenuCallback* callback,
                                        const LONG* insertionAllowed);
  // One item: texts `nameId` and `statusId` (kept until the next
  // ExtendContextMenuAddMenuItems), the command, flags 0, and the primary
  // top insertion point when `insertionAllowed` allows the top (else 0).
  void FillContextMenu(CONTEXTMENUITEM& item, UINT nameId, UINT statusId, LONG commandID,
                       LONG insertionAllowed);
  // Runs the command on the node of `dataObject` when it is offered there;
  // anything else does nothing. A failure raised inside is shown with its
  // message in an error box (a silent one, as an abort, is not). Always S_OK.
  HRESULT ExtendContextMenuCommand(LONG commandID, IDataObject* dataObject);

  // The integrity report of the database of a krftServerDB folder, checked
  // (and repaired when `fix`) in the schema it is listed under: empty when
  // nothing was found. False, with an empty report, when the folder is of
  // another type or its database could not be opened.
  bool CheckDatabaseIntegrity(TKRFolder& folder, bool fix, std::string& result);
  // Starts the scenario `name` below `parent` (a scenario proxy standing for
  // an existing scenario, or for the actual plan), with the visibility and,
  // when not empty, the description. The visibility is set first: it only
  // reaches a scenario that is not started yet, and setting a description
  // starts it. None when the scenario could not be started; `refusal` then
  // holds the library's reason (0 when the parent could not be reached).
  ComPtr<IKRScenario> CreateScenario(const std::u16string& name, const std::u16string& description,
                                     int32_t visibility, IKRBaseTransaction* parent,
                                     int32_t& refusal);
  // Asks for a directory and adds a database group for it (named after the
  // directory's last component, made unique among the groups with a counter)
  // with the dumps it holds; nothing when the browser is cancelled or
  // answers nothing.
  void CreateDatabaseGroup();

  // The root of the node tree, built on first use.
  TKRFolder* GetRootFolder();
  // Builds the root (cookie 0) and the first-class folders.
  void CreateFolderList();
  // Adds "Workstations" (with the local workstation) and "Database Groups".
  void CreateFirstClassFolders(TKRFolder& root);
  // The workstation folder of that name (compared without regard to case;
  // the last match wins), or a new one named in lower case with its
  // "Servers" folder. New folders are not inserted into the console.
  TKRFolder* CreateComputerFolder(const std::string& computerName, TKRFolder& workstationsFolder);
  // A database folder with its "Users" and "Scenarios" folders under an
  // already displayed schema folder, each inserted into the console at once.
  // Marks the console state dirty and the schema folder built.
  TKRFolder* CreateServerDatabaseFolder(const std::string& databaseName, TKRFolder& schemaFolder);
  // Columns [1] and [2] become "-", and the folder is handed to the console
  // under the parent's console ID.
  void FillFolderWithDefaults(TKRFolder& folder, const TKRFolder& parent);
  // The dumps in a database group's directory (Columns[2]) as result items:
  // first each "*.dmp" file, then each subdirectory holding "db.dmp" (named
  // with a trailing '/'). Only for krftDBGroup folders and when `nodeTypes`
  // holds krntItem. A directory that can be listed clears the folder's dirty
  // flag; a missing one leaves it dirty and adds nothing.
  void CreateDBItemsIntoGroup(TKRFolder& folder, TKRNodeTypes nodeTypes);

  // The connection chain. Each open answers a connected proxy, or none
  // (silently) when the server, schema, database or session cannot be
  // reached; a failure the proxies report at their interface is raised.
  // The host is lower-cased; the server name is taken as it is.
  ComPtr<IKRServer> OpenServer(const std::string& hostName, const std::string& serverName);
  // With an empty name or version: the server's first schema name and that
  // schema's first version, whatever name was given.
  ComPtr<IKRSchema> OpenSchema(const std::string& hostName, const std::string& serverName,
                               const std::string& schemaName, const std::string& schemaVersion);
  ComPtr<IKRDatabase> OpenDatabase(const std::string& hostName, const std::string& serverName,
                                   const std::string& schemaName, const std::string& schemaVersion,
                                   const std::string& databaseName);
  // Logs on with `userName` and `password`; when that fails, asks once with
  // the logon form (user name preset). On success both texts hold what
  // connected. A cancelled form raises KRLogonCancelException.
  ComPtr<IKRSession> OpenSession(const std::string& hostName, const std::string& serverName,
                                 const std::string& schemaName, const std::string& schemaVersion,
                                 const std::string& databaseName, std::string& userName,
                                 std::string& password);
  // A session on the database of the krftServerDB folder that `node` is or
  // lies under, logged on with the user and password remembered for that
  // folder (asking once with the logon form when they do not connect).
  // What connected is remembered for the folder, replacing what was. When
  // no session comes back, "Unable to connect to database: <name>'" is
  // shown and none is answered. A failure raised on the way (a cancelled
  // logon among them) propagates, unless `failureMeansNoSession`: then it
  // is taken as no session.
  ComPtr<IKRSession> OpenDatabaseSession(TKRFolder& node, bool failureMeansNoSession);
  // Shuts the krftServer folder's server down (when it can be reached) and
  // empties the folder: its child folders leave the console and the tree,
  // its result items go; the folder is left dirty. True when the server was
  // reached and told to shut down.
  bool CloseServer(TKRFolder& serverFolder);
  // Loads the dump that a database group's result item stands for (the
  // group's directory, '/', the item's name) into the server of the
  // krftServer folder, in that schema. An unreachable server is reported
  // ("Unable to establish connection with server."); a schema that cannot
  // be reached ends the operation silently. Answers the name of the
  // database the schema lists since the load; empty when none appeared (the
  // server refused the dump, or was not asked). When the server refused it,
  // `refusal` (optional) receives the library's reason; it stays empty when
  // the load was not attempted.
  std::string LoadDBIntoServer(TKRFolder& serverFolder, const std::string& schemaName,
                               const std::string& schemaVersion, const TKRResultData& item,
                               std::string* refusal = nullptr);
  // The remembered passwords, created on first use; they go with the
  // component data.
  TKRPasswordContainer& PasswordContainer();

  // Record writers: all records of a kind (stopping at the first failure),
  // or one record. They answer S_OK or the stream's failure.
  HRESULT AddDBGroupsToStream(IStream* stream);
  HRESULT AddComputersToStream(IStream* stream);
  HRESULT AddServersToStream(IStream* stream);
  HRESULT AddDBGroupToStream(IStream* stream, TKRFolder& groupFolder);
  HRESULT AddComputerToStream(IStream* stream, TKRFolder& computerFolder);
  HRESULT AddServerToStream(IStream* stream, TKRFolder& serverFolder, TKRFolder& computerFolder);
  // Record readers (the tag already read): S_OK when the record was read in
  // full and built; otherwise the reading result (S_FALSE at the end of the
  // stream), and nothing of the record is built.
  HRESULT AddDBGroupFromStream(IStream* stream);
  HRESULT AddComputerFromStream(IStream* stream);
  HRESULT AddServerFromStream(IStream* stream);

  // Puts `text` on the console's status line (through IConsole2); a console
  // without one shows nothing.
  void SetConsoleStatus(const std::string& text);

  // The console-state flag.
  bool GetIsDirty() const { return FIsDirty; }
  void SetIsDirty(bool dirty) { FIsDirty = dirty; }
  // The local computer's name as the platform gave it (not lower-cased).
  const std::string& ComputerName() const { return FComputerName; }

  // The console's name space, through which every scope item is inserted and
  // deleted; none until the console hands it over (then folders are only
  // built, not inserted).
  IConsoleNameSpace* ConsoleNameSpace() const { return FIConsoleNameSpace.Get(); }
  void SetConsoleNameSpace(ComPtr<IConsoleNameSpace> nameSpace) {
    FIConsoleNameSpace = std::move(nameSpace);
  }
  IConsole* Console() const { return FIConsole.Get(); }
  IConsoleVerb* ConsoleVerb() const { return FIConsoleVerb.Get(); }
  // The console's handle of the static node, 0 until it was expanded.
  HSCOPEITEM StaticRoot() const { return FStaticRoot; }

 private:
  // The commands, each on the node it is offered on.
  void LoadIntoServer(const TKRResultData& item);
  void AddServer(TKRFolder& serversFolder);
  void AddWorkstation(TKRFolder& workstationsFolder);
  void CreateEmptyDatabase(TKRFolder& schemaFolder);
  // Save (krmcSaveDatabase), save and close, or close without saving.
  void SaveOrCloseDatabase(TKRMenuCommand command, TKRFolder& databaseFolder);
  void CheckIntegrity(TKRFolder& databaseFolder);
  void ShutDownServer(TKRFolder& serverFolder);
  // Logs on to the database (asking when the remembered logon fails), asks
  // for the new scenario and starts it; the scenarios folder is then due
  // for a new listing.
  void AddScenario(TKRFolder& scenariosFolder);
  // Runs a command offered on the node; failures propagate.
  void RunCommand(TKRMenuCommand command, const TKRInternal& node);
  // Hands a folder already attached to the tree to the console under its
  // parent's scope item and marks the document changed.
  void AttachToConsole(TKRFolder& folder);

  // Creates, initialises and attaches one folder.
  static TKRFolder* AddFolder(TKRFolder& parent, std::string_view name, int image,
                              TKRFolderType folderType, bool hasChildren);
  // Attaches a folder made under a displayed parent and inserts it.
  TKRFolder* AddDisplayedFolder(TKRFolder& parent, std::string_view name, int image,
                                TKRFolderType folderType, bool hasChildren);
  // The first folder of the type in the tree, or null.
  TKRFolder* FindFolder(TKRFolderType folderType);

  // Removes a folder (with its subtree) from its parent and the console.
  void DeleteFolder(TKRFolder& folder);
  // Forgets the display texts kept for a subtree about to be destroyed.
  void ForgetDisplayTexts(const TKRFolder& folder);

  HSCOPEITEM FStaticRoot = 0;
  ComPtr<IConsole> FIConsole;
  ComPtr<IConsoleVerb> FIConsoleVerb;
  ComPtr<IConsoleNameSpace> FIConsoleNameSpace;
  std::unique_ptr<TKRFolder> FRootFolder;
  std::string FComputerName;
  bool FIsDirty = false;
  std::unique_ptr<TKRPasswordContainer> FPasswordContainer;
  // The menu texts handed to the console by the last AddMenuItems (a deque:
  // adding one moves none of the others).
  std::deque<std::u16string> FMenuTexts;
  // The texts handed out by GetDisplayInfo, by folder (null: no folder).
  std::unordered_map<const TKRFolder*, std::u16string> FDisplayTexts;
};
