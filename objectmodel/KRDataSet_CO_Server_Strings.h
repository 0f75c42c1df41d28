#pragma once
// Sorted lists of names as the proxies cache and hand them out.
//
// A sorted list is ordered by AnsiCompareStr (collation with case) and holds
// each text once; lookups are exact. TKRSharedStrings is a list that the
// string-list wrappers handed out over it keep alive (BorrowStrings), so a
// proxy may drop its cache while callers still read a wrapper.

#include <cstdint>
#include <string>
#include <string_view>

#include "kestrel/include/KestrelAPI.h"
#include "objectmodel/KRDataSet_CO_StringList.h"
#include "platform/com/ComPtr.h"

// The index of `text` in a sorted list, -1 when absent.
int32_t FindSortedString(const TKRStrings& list, std::string_view text);
// Inserts `text` at its sorted place unless present; answers its index.
int32_t AddSortedString(TKRStrings& list, std::string text);
// The texts of an API string array in a sorted list.
TKRStrings SortedAPIStrings(int32_t count, const char16_t* const* array);
// The texts of an API string array in the library's order.
TKRStrings APIStrings(int32_t count, const char16_t* const* array);

struct TKRSharedStrings : ComObject<IUnknown> {
  TKRStrings List;
};

// A wrapper over `list` (which `owner` holds) that keeps `owner` alive.
ComPtr<IKRStringList> BorrowStrings(TKRStrings* list, IUnknown* owner);
// A wrapper over the list of a shared cache; over no list for none.
ComPtr<IKRStringList> BorrowStrings(TKRSharedStrings* shared);
// A wrapper owning `list`.
ComPtr<IKRStringList> OwnStrings(TKRStrings list);
