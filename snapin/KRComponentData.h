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
// The pieces live in KRComponentData.cpp (tree construction),
// KRComponentData_Persist.cpp (the stream) and KRComponentData_DBGroup.cpp
// (database-group contents).

#include <memory>
#include <string>
#include <string_view>

#include "platform/com/ComPtr.h"
#include "platform/com/Stream.h"
#include "platform/com/Unknown.h"
#include "platform/mmc/MmcInterfaces.h"
#include "platform/mmc/PersistStream.h"
#include "snapin/KRFolder.h"

// The snap-in's class identifier.
inline constexpr CLSID CLSID_KRComponentData =
    GuidLiteral("{096D8D3A-B78A-11D2-BD6B-00805F536E80}");

class TKRComponentData : public ComObject<IPersistStream> {
 public:
  TKRComponentData();
  ~TKRComponentData() override;

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

 private:
  // Creates, initialises and attaches one folder.
  static TKRFolder* AddFolder(TKRFolder& parent, std::string_view name, int image,
                              TKRFolderType folderType, bool hasChildren);
  // Attaches a folder made under a displayed parent and inserts it.
  TKRFolder* AddDisplayedFolder(TKRFolder& parent, std::string_view name, int image,
                                TKRFolderType folderType, bool hasChildren);
  // The first folder of the type in the tree, or null.
  TKRFolder* FindFolder(TKRFolderType folderType);

  ComPtr<IConsoleNameSpace> FIConsoleNameSpace;
  std::unique_ptr<TKRFolder> FRootFolder;
  std::string FComputerName;
  bool FIsDirty = false;
};
