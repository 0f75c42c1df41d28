#pragma once
// Names of the console's clipboard formats. Each is registered by name
// (RegisterClipboardFormat) to get the number a data object answers for.
// The wide names are the platform's; the narrow ones are the same texts for
// the narrow registration function.

inline constexpr char16_t CCF_NODETYPE[] = u"CCF_NODETYPE";
inline constexpr char16_t CCF_SZNODETYPE[] = u"CCF_SZNODETYPE";
inline constexpr char16_t CCF_DISPLAY_NAME[] = u"CCF_DISPLAY_NAME";
inline constexpr char16_t CCF_SNAPIN_CLASSID[] = u"CCF_SNAPIN_CLASSID";
inline constexpr char16_t CCF_WINDOW_TITLE[] = u"CCF_WINDOW_TITLE";
inline constexpr char16_t CCF_MMC_MULTISELECT_DATAOBJECT[] = u"CCF_MMC_MULTISELECT_DATAOBJECT";
inline constexpr char16_t CCF_MULTI_SELECT_SNAPINS[] = u"CCF_MULTI_SELECT_SNAPINS";
inline constexpr char16_t CCF_OBJECT_TYPES_IN_MULTI_SELECT[] = u"CCF_OBJECT_TYPES_IN_MULTI_SELECT";
inline constexpr char16_t CCF_MMC_DYNAMIC_EXTENSIONS[] = u"CCF_MMC_DYNAMIC_EXTENSIONS";
inline constexpr char16_t CCF_SNAPIN_PRELOADS[] = u"CCF_SNAPIN_PRELOADS";
inline constexpr char16_t CCF_NODEID[] = u"CCF_NODEID";
inline constexpr char16_t CCF_NODEID2[] = u"CCF_NODEID2";
inline constexpr char16_t CCF_COLUMN_SET_ID[] = u"CCF_COLUMN_SET_ID";
inline constexpr char16_t CCF_DESCRIPTION[] = u"CCF_DESCRIPTION";
inline constexpr char16_t CCF_HTML_DETAILS[] = u"CCF_HTML_DETAILS";

inline constexpr char CCF_NODETYPE_A[] = "CCF_NODETYPE";
inline constexpr char CCF_SZNODETYPE_A[] = "CCF_SZNODETYPE";
inline constexpr char CCF_DISPLAY_NAME_A[] = "CCF_DISPLAY_NAME";
inline constexpr char CCF_SNAPIN_CLASSID_A[] = "CCF_SNAPIN_CLASSID";
inline constexpr char CCF_MMC_MULTISELECT_DATAOBJECT_A[] = "CCF_MMC_MULTISELECT_DATAOBJECT";
inline constexpr char CCF_MULTI_SELECT_SNAPINS_A[] = "CCF_MULTI_SELECT_SNAPINS";
inline constexpr char CCF_OBJECT_TYPES_IN_MULTI_SELECT_A[] = "CCF_OBJECT_TYPES_IN_MULTI_SELECT";
