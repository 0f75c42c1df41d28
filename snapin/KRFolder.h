#pragma once
// The snap-in's node tree. A TKRFolder is a scope-pane node: it owns its
// child folders, its result items (TKRResultData), its column texts and its
// console scope record. Column 0 is the display name and column 1 the count
// of children and items (refreshed by GetColumns); later columns depend on
// the folder type.
//
// Cookies: the console knows nodes by pointer-sized cookies. The root's is 0;
// any other folder's is -1 until it is handed to the console, then its own
// address. A result item's cookie is its own address. SearchItemByCookie
// answers only items that are alive, so a cookie from the console is never
// turned into a pointer blindly. Both searches by cookie go through an index
// of the live folders and items (a folder's by the cookie it holds), so a
// lookup costs the same however large the tree: listing a folder of n
// children makes n lookups.
//
// Unique code: a folder's Columns[0] followed by its parent's unique code,
// computed when the folder is attached and kept even if the name changes.
//
// Everything here runs on the console's thread.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mmc/MmcStructures.h"
#include "platform/mmc/MmcTypes.h"

// What a folder stands for. The values travel in data objects and select
// node types and result-pane headers, so their order is fixed.
enum TKRFolderType : uint8_t {
  krftNone = 0,
  krftRootFolder = 1,
  krftComputers = 2,
  krftComputer = 3,
  krftServers = 4,
  krftDBGroups = 5,
  krftServer = 6,
  krftDatabase = 7,
  krftDBGroup = 8,
  krftServerDB = 9,
  krftSchemaName = 10,
  krftUsers = 11,
  krftTransactions = 12,
  krftDeltas = 13,
  krftScenarios = 14,
};

// The kinds of contents that a (re)build of a folder asks for.
enum TKRNodeType : uint8_t { krntFolder, krntItem };

class TKRNodeTypes {
 public:
  constexpr TKRNodeTypes() = default;
  constexpr TKRNodeTypes(std::initializer_list<TKRNodeType> types) {
    for (TKRNodeType t : types) bits_ |= Bit(t);
  }
  constexpr bool Contains(TKRNodeType type) const { return (bits_ & Bit(type)) != 0; }

 private:
  static constexpr uint8_t Bit(TKRNodeType type) { return static_cast<uint8_t>(1u << type); }
  uint8_t bits_ = 0;
};

class TKRResultData;

class TKRFolder {
 public:
  using FolderList = std::vector<std::unique_ptr<TKRFolder>>;
  using ItemList = std::vector<std::unique_ptr<TKRResultData>>;

  // A folder with columns "" and "0", cookie -1, type krftNone, dirty, no
  // scope record and no parent.
  TKRFolder();
  // Destroys the subtree: child folders, result items, columns, scope record.
  ~TKRFolder();
  TKRFolder(const TKRFolder&) = delete;
  TKRFolder& operator=(const TKRFolder&) = delete;

  // Makes the folder displayable: a fresh zero-filled scope record whose text
  // is the console's callback value, images when not 0 (0 sets nothing), and
  // the children flag; the columns become `name`, "0".
  void Init(std::string_view name, int image, int openImage, TKRFolderType folderType,
            bool hasChildren);

  // Attaches `folder` as the last child of `parent`, which takes ownership;
  // sets the parent's count column and fixes the folder's unique code.
  // Answers the attached folder.
  static TKRFolder* SetParent(std::unique_ptr<TKRFolder> folder, TKRFolder& parent);
  // Detaches a child and hands it to the caller (null when it is not a child
  // of this folder); dropping the answer destroys the child's subtree.
  std::unique_ptr<TKRFolder> RemoveChild(const TKRFolder* child);

  // Hands the folder to the console: its scope record is placed under
  // `relativeID`, carries SDI_PARAM, and the record's lParam and the folder's
  // cookie become the folder's identity.
  void PrepareScopeItem(HSCOPEITEM relativeID);
  // The folder's own identity as a cookie (what PrepareScopeItem assigns).
  MMC_COOKIE Identity() const { return reinterpret_cast<MMC_COOKIE>(this); }

  // The column texts after writing the count of child folders plus result
  // items into column 1.
  std::vector<std::string>& GetColumns();
  // Column `index`, or the empty text when the folder has fewer columns.
  std::string ColumnText(size_t index) const;

  // The cached unique code, computed first when it is empty.
  const std::string& GetUniqueCode();
  // Recomputes the unique code: Columns[0] and the parent's code, or empty
  // when the folder has fewer than two columns.
  void CreateUniqueCode();

  // The folder in this subtree (pre-order, this folder first) with the
  // cookie or type; null when there is none. A cookie is looked up in the
  // index and checked to lie in this subtree (the cost of the tree's depth);
  // only -1 and a cookie that several folders of the subtree share walk it.
  TKRFolder* SearchFolderByCookie(MMC_COOKIE cookie);
  TKRFolder* SearchFolderByType(TKRFolderType folderType);
  // The nearest proper ancestor of the type, or null.
  TKRFolder* SearchParentFolderByType(TKRFolderType folderType) const;
  // The workstation folder that this folder is or lies under; null for the
  // root, "Workstations" and folders outside a workstation.
  TKRFolder* SearchForParentComputer();
  // The live result item whose cookie this is, in any tree; null for any
  // other value (folder cookies, 0, -1, -2, destroyed items, garbage).
  static TKRResultData* SearchItemByCookie(MMC_COOKIE cookie);

  SCOPEDATAITEM* ScopeItem() const { return FScopeItem.get(); }
  MMC_COOKIE Cookie() const { return FCookie; }
  void SetCookie(MMC_COOKIE cookie);
  bool Enumerated() const { return FEnumed; }
  void SetEnumerated(bool enumerated) { FEnumed = enumerated; }
  TKRFolderType FolderType() const { return FType; }
  const FolderList& Childs() const { return FChilds; }
  const ItemList& Items() const { return FItems; }
  // Destroys every result item and empties the item list.
  void DeleteItems() { FItems.clear(); }
  TKRFolder* Parent() const { return FParent; }
  // True while the contents that come from a server or a directory have not
  // been built.
  bool Dirty() const { return FDirty; }
  void SetDirty(bool dirty) { FDirty = dirty; }

 private:
  friend class TKRResultData;

  // The pre-order walk behind SearchFolderByCookie.
  TKRFolder* WalkForCookie(MMC_COOKIE cookie);
  // True when this folder is `ancestor` or lies below it.
  bool IsWithin(const TKRFolder* ancestor) const;

  std::unique_ptr<SCOPEDATAITEM> FScopeItem;
  MMC_COOKIE FCookie = -1;
  bool FEnumed = false;
  TKRFolderType FType = krftNone;
  FolderList FChilds;
  ItemList FItems;
  std::vector<std::string> FColumns;
  TKRFolder* FParent = nullptr;  // uncounted: the parent owns this folder
  std::string FUniqueCode;
  bool FDirty = true;
};

// A result-pane row that is not a folder, owned by its folder. Its cookie is
// its own address, valid for SearchItemByCookie while it lives.
class TKRResultData {
 public:
  TKRResultData();
  ~TKRResultData();
  TKRResultData(const TKRResultData&) = delete;
  TKRResultData& operator=(const TKRResultData&) = delete;

  // Appends `item` to `folder`'s items, which take ownership, and writes the
  // folder's item count into its column 1. Answers the attached item.
  static TKRResultData* SetParent(std::unique_ptr<TKRResultData> item, TKRFolder& folder);

  MMC_COOKIE Cookie() const { return reinterpret_cast<MMC_COOKIE>(this); }
  std::vector<std::string>& Columns() { return FColumns; }
  const std::vector<std::string>& Columns() const { return FColumns; }
  TKRFolder* Parent() const { return FParent; }

 private:
  TKRFolder* FParent = nullptr;  // uncounted: the folder owns this item
  std::vector<std::string> FColumns;
};
