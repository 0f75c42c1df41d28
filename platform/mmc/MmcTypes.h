#pragma once
// The console's scalar types, enumerations and constants. Cookies, lParam
// values and item handles are pointer-sized, so a cookie can be a node's own
// address; counts, codes and flags stay 32-bit.

#include <cstdint>

#include "platform/com/Types.h"

using MMC_COOKIE = intptr_t;
using HSCOPEITEM = intptr_t;
using HRESULTITEM = intptr_t;
using COMPONENTID = int32_t;
using COLORREF = uint32_t;

// Notifications sent to IComponentData::Notify and IComponent::Notify.
enum MMC_NOTIFY_TYPE : uint32_t {
  MMCN_ACTIVATE = 0x8001,
  MMCN_ADD_IMAGES = 0x8002,
  MMCN_BTN_CLICK = 0x8003,
  MMCN_CLICK = 0x8004,
  MMCN_COLUMN_CLICK = 0x8005,
  MMCN_CONTEXTMENU = 0x8006,
  MMCN_CUTORMOVE = 0x8007,
  MMCN_DBLCLICK = 0x8008,
  MMCN_DELETE = 0x8009,
  MMCN_DESELECT_ALL = 0x800A,
  MMCN_EXPAND = 0x800B,
  MMCN_HELP = 0x800C,
  MMCN_MENU_BTNCLICK = 0x800D,
  MMCN_MINIMIZED = 0x800E,
  MMCN_PASTE = 0x800F,
  MMCN_PROPERTY_CHANGE = 0x8010,
  MMCN_QUERY_PASTE = 0x8011,
  MMCN_REFRESH = 0x8012,
  MMCN_REMOVE_CHILDREN = 0x8013,
  MMCN_RENAME = 0x8014,
  MMCN_SELECT = 0x8015,
  MMCN_SHOW = 0x8016,
  MMCN_VIEW_CHANGE = 0x8017,
  MMCN_SNAPINHELP = 0x8018,
  MMCN_CONTEXTHELP = 0x8019,
  MMCN_INITOCX = 0x801A,
  MMCN_FILTER_CHANGE = 0x801B,
  MMCN_FILTERBTN_CLICK = 0x801C,
  MMCN_RESTORE_VIEW = 0x801D,
  MMCN_PRINT = 0x801E,
  MMCN_PRELOAD = 0x801F,
  MMCN_LISTPAD = 0x8020,
  MMCN_EXPANDSYNC = 0x8021,
  MMCN_COLUMNS_CHANGED = 0x8022,
  MMCN_CANPASTE_OUTOFPROC = 0x8023,
};

// Which pane or context a data object is made for.
enum DATA_OBJECT_TYPES : uint32_t {
  CCT_SCOPE = 0x8000,
  CCT_RESULT = 0x8001,
  CCT_SNAPIN_MANAGER = 0x8002,
  CCT_UNINITIALIZED = 0xFFFF,
};

enum MMC_CONSOLE_VERB : uint32_t {
  MMC_VERB_NONE = 0x0000,
  MMC_VERB_OPEN = 0x8000,
  MMC_VERB_COPY = 0x8001,
  MMC_VERB_PASTE = 0x8002,
  MMC_VERB_DELETE = 0x8003,
  MMC_VERB_PROPERTIES = 0x8004,
  MMC_VERB_RENAME = 0x8005,
  MMC_VERB_REFRESH = 0x8006,
  MMC_VERB_PRINT = 0x8007,
  MMC_VERB_CUT = 0x8008,
  MMC_VERB_MAX = 0x8009,
  MMC_VERB_FIRST = MMC_VERB_OPEN,
  MMC_VERB_LAST = MMC_VERB_MAX - 1,
};

enum MMC_BUTTON_STATE : uint32_t {
  ENABLED = 0x01,
  CHECKED = 0x02,
  HIDDEN = 0x04,
  INDETERMINATE = 0x08,
  BUTTONPRESSED = 0x10,
};

// SCOPEDATAITEM.mask
inline constexpr DWORD SDI_STR = 0x02;
inline constexpr DWORD SDI_IMAGE = 0x04;
inline constexpr DWORD SDI_OPENIMAGE = 0x08;
inline constexpr DWORD SDI_STATE = 0x10;
inline constexpr DWORD SDI_PARAM = 0x20;
inline constexpr DWORD SDI_CHILDREN = 0x40;
inline constexpr DWORD SDI_PARENT = 0;
inline constexpr DWORD SDI_FIRST = 0x08000000;
inline constexpr DWORD SDI_PREVIOUS = 0x10000000;
inline constexpr DWORD SDI_NEXT = 0x20000000;

// RESULTDATAITEM.mask
inline constexpr DWORD RDI_STR = 0x02;
inline constexpr DWORD RDI_IMAGE = 0x04;
inline constexpr DWORD RDI_STATE = 0x08;
inline constexpr DWORD RDI_PARAM = 0x10;
inline constexpr DWORD RDI_INDEX = 0x20;
inline constexpr DWORD RDI_INDENT = 0x40;

enum MMC_SCOPE_ITEM_STATE : uint32_t {
  MMC_SCOPE_ITEM_STATE_NORMAL = 0x1,
  MMC_SCOPE_ITEM_STATE_BOLD = 0x2,
  MMC_SCOPE_ITEM_STATE_EXPANDEDONCE = 0x3,
};

// Context menus: insertion points, allowed insertions, special flags.
inline constexpr LONG CCM_INSERTIONPOINTID_MASK_SPECIAL = static_cast<LONG>(0xFFFF0000);
inline constexpr LONG CCM_INSERTIONPOINTID_MASK_SHARED = static_cast<LONG>(0x80000000);
inline constexpr LONG CCM_INSERTIONPOINTID_MASK_CREATE_PRIMARY = 0x40000000;
inline constexpr LONG CCM_INSERTIONPOINTID_MASK_ADD_PRIMARY = 0x20000000;
inline constexpr LONG CCM_INSERTIONPOINTID_MASK_ADD_3RDPARTY = 0x10000000;
inline constexpr LONG CCM_INSERTIONPOINTID_MASK_RESERVED = 0x0FFF0000;
inline constexpr LONG CCM_INSERTIONPOINTID_MASK_FLAGINDEX = 0x0000001F;
inline constexpr LONG CCM_INSERTIONPOINTID_PRIMARY_TOP = static_cast<LONG>(0xA0000000);
inline constexpr LONG CCM_INSERTIONPOINTID_PRIMARY_NEW = static_cast<LONG>(0xA0000001);
inline constexpr LONG CCM_INSERTIONPOINTID_PRIMARY_TASK = static_cast<LONG>(0xA0000002);
inline constexpr LONG CCM_INSERTIONPOINTID_PRIMARY_VIEW = static_cast<LONG>(0xA0000003);
inline constexpr LONG CCM_INSERTIONPOINTID_3RDPARTY_NEW = static_cast<LONG>(0x90000001);
inline constexpr LONG CCM_INSERTIONPOINTID_3RDPARTY_TASK = static_cast<LONG>(0x90000002);
inline constexpr LONG CCM_INSERTIONPOINTID_ROOT_MENU = static_cast<LONG>(0x80000000);
inline constexpr LONG CCM_INSERTIONALLOWED_TOP = 0x1;
inline constexpr LONG CCM_INSERTIONALLOWED_NEW = 0x2;
inline constexpr LONG CCM_INSERTIONALLOWED_TASK = 0x4;
inline constexpr LONG CCM_INSERTIONALLOWED_VIEW = 0x8;
inline constexpr LONG CCM_COMMANDID_MASK_RESERVED = static_cast<LONG>(0xFFFF0000);
inline constexpr LONG CCM_SPECIAL_SEPARATOR = 0x01;
inline constexpr LONG CCM_SPECIAL_SUBMENU = 0x02;
inline constexpr LONG CCM_SPECIAL_DEFAULT_ITEM = 0x04;
inline constexpr LONG CCM_SPECIAL_INSERTION_POINT = 0x08;
inline constexpr LONG CCM_SPECIAL_TESTONLY = 0x10;
inline constexpr LONG MMCC_STANDARD_VIEW_SELECT = -1;

// Menu item flags used in CONTEXTMENUITEM.fFlags.
inline constexpr LONG MF_STRING = 0x0;
inline constexpr LONG MF_ENABLED = 0x0;
inline constexpr LONG MF_UNCHECKED = 0x0;
inline constexpr LONG MF_GRAYED = 0x1;
inline constexpr LONG MF_DISABLED = 0x2;
inline constexpr LONG MF_BITMAP = 0x4;
inline constexpr LONG MF_CHECKED = 0x8;
inline constexpr LONG MF_POPUP = 0x10;
inline constexpr LONG MF_MENUBARBREAK = 0x20;
inline constexpr LONG MF_MENUBREAK = 0x40;
inline constexpr LONG MF_OWNERDRAW = 0x100;
inline constexpr LONG MF_SEPARATOR = 0x800;
inline constexpr LONG MF_DEFAULT = 0x1000;

// Special cookies: values the console passes instead of a snap-in cookie.
inline constexpr MMC_COOKIE MMC_MULTI_SELECT_COOKIE = -2;
inline constexpr MMC_COOKIE MMC_WINDOW_COOKIE = -3;
inline constexpr MMC_COOKIE SPECIAL_COOKIE_MIN = -10;
inline constexpr MMC_COOKIE SPECIAL_COOKIE_MAX = -1;
constexpr bool IS_SPECIAL_COOKIE(MMC_COOKIE cookie) {
  return cookie >= SPECIAL_COOKIE_MIN && cookie <= SPECIAL_COOKIE_MAX;
}

// The callback text or image: the console asks GetDisplayInfo for it.
inline LPOLESTR const MMC_CALLBACK = reinterpret_cast<LPOLESTR>(intptr_t{-1});
inline LPOLESTR const MMC_TEXTCALLBACK = MMC_CALLBACK;
inline constexpr int MMC_IMAGECALLBACK = -1;

// Special data-object values the console passes instead of a data object.
struct IDataObject;
inline IDataObject* const DOBJ_NULL = nullptr;
inline IDataObject* const DOBJ_CUSTOMOCX = reinterpret_cast<IDataObject*>(intptr_t{-1});
inline IDataObject* const DOBJ_CUSTOMWEB = reinterpret_cast<IDataObject*>(intptr_t{-2});
inline IDataObject* const DOBJ_NOCONSOLE = reinterpret_cast<IDataObject*>(intptr_t{-3});
inline constexpr intptr_t SPECIAL_DOBJ_MIN = -10;
inline constexpr intptr_t SPECIAL_DOBJ_MAX = 0;
inline bool IS_SPECIAL_DATAOBJECT(IDataObject* dataObject) {
  const intptr_t value = reinterpret_cast<intptr_t>(dataObject);
  return value >= SPECIAL_DOBJ_MIN && value <= SPECIAL_DOBJ_MAX;
}

// Result view options (GetResultViewType).
inline constexpr LONG MMC_VIEW_OPTIONS_NONE = 0;
inline constexpr LONG MMC_VIEW_OPTIONS_NOLISTVIEWS = 0x01;
inline constexpr LONG MMC_VIEW_OPTIONS_MULTISELECT = 0x02;
inline constexpr LONG MMC_VIEW_OPTIONS_OWNERDATALIST = 0x04;
inline constexpr LONG MMC_VIEW_OPTIONS_FILTERED = 0x08;
inline constexpr LONG MMC_VIEW_OPTIONS_CREATENEW = 0x10;
inline constexpr LONG MMC_VIEW_OPTIONS_USEFONTLINKING = 0x20;
inline constexpr LONG MMC_VIEW_OPTIONS_EXCLUDE_SCOPE_ITEMS_FROM_LIST = 0x40;
inline constexpr LONG MMC_VIEW_OPTIONS_LEXICAL_SORT = 0x80;

enum MMC_RESULT_VIEW_STYLE : uint32_t {
  MMC_SINGLESEL = 0x1,
  MMC_SHOWSELALWAYS = 0x2,
  MMC_NOSORTHEADER = 0x4,
  MMC_ENSUREFOCUSVISIBLE = 0x8,
};

inline constexpr int MMCLV_AUTO = -1;
inline constexpr int MMCLV_NOPARAM = -2;
inline constexpr int MMCLV_NOICON = -1;
inline constexpr int MMCLV_NOPTR = 0;
inline constexpr LONG MMCLV_VIEWSTYLE_ICON = 0;
inline constexpr LONG MMCLV_VIEWSTYLE_REPORT = 1;
inline constexpr LONG MMCLV_VIEWSTYLE_SMALLICON = 2;
inline constexpr LONG MMCLV_VIEWSTYLE_LIST = 3;
inline constexpr LONG MMCLV_VIEWSTYLE_FILTERED = 4;
inline constexpr DWORD MMCLV_UPDATE_NOINVALIDATEALL = 0x1;
inline constexpr DWORD MMCLV_UPDATE_NOSCROLL = 0x2;

inline constexpr DWORD RSI_DESCENDING = 0x1;
inline constexpr DWORD RSI_NOSORTICON = 0x2;
inline constexpr DWORD RFI_PARTIAL = 0x1;
inline constexpr DWORD RFI_WRAP = 0x2;

// IHeaderCtrl column widths.
inline constexpr int AUTO_WIDTH = -1;
inline constexpr int HIDE_COLUMN = -4;

// IConsole::NewWindow options.
inline constexpr ULONG MMC_NW_OPTION_NONE = 0;
inline constexpr ULONG MMC_NW_OPTION_NOSCOPEPANE = 0x1;
inline constexpr ULONG MMC_NW_OPTION_NOTOOLBARS = 0x2;
inline constexpr ULONG MMC_NW_OPTION_SHORTTITLE = 0x4;
inline constexpr ULONG MMC_NW_OPTION_CUSTOMTITLE = 0x8;
inline constexpr ULONG MMC_NW_OPTION_NOPERSIST = 0x10;

inline constexpr DWORD MMC_PSO_NOAPPLYNOW = 0x1;
inline constexpr DWORD MMC_PSO_HASHELP = 0x2;
inline constexpr DWORD MMC_PSO_NEWWIZARDTYPE = 0x4;
inline constexpr DWORD MMC_PSO_NO_PROPTITLE = 0x8;

enum MMC_CONTROL_TYPE : uint32_t { TOOLBAR = 0, MENUBUTTON = 1, COMBOBOXBAR = 2 };
enum MMC_FILTER_TYPE : uint32_t {
  MMC_STRING_FILTER = 0,
  MMC_INT_FILTER = 1,
  MMC_FILTER_NOVALUE = 0x8000,
};
enum MMC_FILTER_CHANGE_CODE : uint32_t { MFCC_DISABLE = 0, MFCC_ENABLE = 1, MFCC_VALUE_CHANGE = 2 };

inline constexpr DWORD MMC_DEFAULT_OPERATION_COPY = 0x1;
inline constexpr DWORD MMC_NODEID_SLOW_RETRIEVAL = 0x1;
inline constexpr DWORD RDCI_ScopeItem = 0x80000000;
inline constexpr DWORD MMC_VER = 0x0200;

// List-view item states and column formats used with the result pane.
inline constexpr UINT LVIS_FOCUSED = 0x1;
inline constexpr UINT LVIS_SELECTED = 0x2;
inline constexpr UINT LVIS_CUT = 0x4;
inline constexpr UINT LVIS_DROPHILITED = 0x8;
inline constexpr UINT LVIS_GLOW = 0x10;
inline constexpr UINT LVIS_ACTIVATING = 0x20;
inline constexpr UINT LVIS_OVERLAYMASK = 0x0F00;
inline constexpr UINT LVIS_STATEIMAGEMASK = 0xF000;
inline constexpr UINT LVNI_ALL = 0x0;
inline constexpr UINT LVNI_FOCUSED = 0x1;
inline constexpr UINT LVNI_SELECTED = 0x2;
inline constexpr int LVCFMT_LEFT = 0x0;
inline constexpr int LVCFMT_RIGHT = 0x1;
inline constexpr int LVCFMT_CENTER = 0x2;
inline constexpr int LVCFMT_JUSTIFYMASK = 0x3;
inline constexpr int LVCFMT_IMAGE = 0x800;
inline constexpr int LVCFMT_BITMAP_ON_RIGHT = 0x1000;
inline constexpr int LVCFMT_COL_HAS_IMAGES = 0x8000;
