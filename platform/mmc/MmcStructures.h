#pragma once
// The records the console and a snap-in exchange. Members keep the platform's
// order and types; pointer and cookie members are pointer-sized, so the
// layouts are those of the platform's 64-bit model.

#include <cstddef>

#include "platform/com/Guid.h"
#include "platform/mmc/MmcTypes.h"

struct IDataObject;

// A scope-pane node as handed to IConsoleNameSpace. The console fills in ID
// when the item is inserted; relativeID names the parent (or a sibling, by
// the SDI_FIRST/PREVIOUS/NEXT flags of mask).
struct SCOPEDATAITEM {
  DWORD mask;
  LPOLESTR displayname;
  int nImage;
  int nOpenImage;
  UINT nState;
  int cChildren;
  LPARAM lParam;
  HSCOPEITEM relativeID;
  HSCOPEITEM ID;
};

// A result-pane row (or, with nCol, one of its cells).
struct RESULTDATAITEM {
  DWORD mask;
  BOOL bScopeItem;
  HRESULTITEM itemID;
  int nIndex;
  int nCol;
  LPOLESTR str;
  int nImage;
  UINT nState;
  LPARAM lParam;
  int iIndent;
};

#if INTPTR_MAX == INT64_MAX
static_assert(offsetof(SCOPEDATAITEM, lParam) == 32 && offsetof(SCOPEDATAITEM, ID) == 48 &&
                  sizeof(SCOPEDATAITEM) == 56,
              "SCOPEDATAITEM keeps the platform's 64-bit layout");
static_assert(offsetof(RESULTDATAITEM, str) == 24 && offsetof(RESULTDATAITEM, lParam) == 40 &&
                  sizeof(RESULTDATAITEM) == 56,
              "RESULTDATAITEM keeps the platform's 64-bit layout");
#endif

// One entry added through IContextMenuCallback::AddItem.
struct CONTEXTMENUITEM {
  LPOLESTR strName;
  LPOLESTR strStatusBarText;
  LONG lCommandID;
  LONG lInsertionPointID;
  LONG fFlags;
  LONG fSpecialFlags;
};

// Node types of a multiple selection; `count` GUIDs follow in place.
struct SMMCObjectTypes {
  DWORD count;
  GUID guid[1];
};
using SMMCDynamicExtensions = SMMCObjectTypes;

// The console's composite multi-selection object: one data object per snap-in.
struct SMMCDataObjects {
  DWORD count;
  IDataObject* lpDataObject[1];
};

// A search request for owner-data (virtual) lists.
struct RESULTFINDINFO {
  LPOLESTR psz;
  int nStart;
  DWORD dwOptions;
};

struct MMCBUTTON {
  int nBitmap;
  int idCommand;
  BYTE fsState;
  BYTE fsType;
  LPOLESTR lpButtonText;
  LPOLESTR lpTooltipText;
};

struct MENUBUTTONDATA {
  int idCommand;
  int x;
  int y;
};

struct MMC_RESTORE_VIEW {
  DWORD dwSize;
  MMC_COOKIE cookie;
  LPOLESTR pViewType;
  LONG lViewOptions;
};

struct MMC_EXPANDSYNC_STRUCT {
  BOOL bHandled;
  BOOL bExpanding;
  HSCOPEITEM hItem;
};

struct MMC_VISIBLE_COLUMNS {
  int nVisibleColumns;
  int rgVisibleCols[1];
};

struct MMC_FILTERDATA {
  LPOLESTR pszText;
  int cchTextMax;
  LONG lValue;
};

// Persistent identity of a scope node; `cBytes` bytes follow in place.
struct SNodeID {
  DWORD cBytes;
  BYTE id[1];
};

struct SNodeID2 {
  DWORD dwFlags;
  DWORD cBytes;
  BYTE id[1];
};
using SColumnSetID = SNodeID2;
