#pragma once
// Free functions over proxies, proxy lists and API fields.

#include <string>

#include "kestrel/include/KestrelAPI.h"
#include "objectmodel/KRDataSet_CO_Interfaces.h"

// True for no list or a list of Count 0.
bool IsProxyListEmpty(IKRProxyList* list);
// Both none: true; one none: false; otherwise equal UniqueIDs.
bool AreProxiesEqual(IKRProxy* a, IKRProxy* b);
bool AreProxyListsEqual(IKRProxyList* a, IKRProxyList* b);

// How the library carries a value of an API field type: a 32-bit integer
// (types 1, 3, 4, 7, 8, 10, 11), an API boolean (2), a double (5, 15), a
// time stamp (6), an API string (9), or nothing the object model converts.
enum class TKRAPIValueKind { Integer, Boolean, Double, Stamp, String, None };
TKRAPIValueKind APIValueKindOf(int32_t fieldType);

// Stores an API field's value in `variant` by the field's type: integer for
// types 1, 3, 4, 7, 8, 10 and 11; boolean for 2 (non-zero is true); double
// for 5 and 15; date-time from the time stamp for 6; wide text for 9. Other
// types leave the variant as it was.
void ConvertAPIFieldToOleVariant(const KSField& field, OleVariant& variant);

// The library's English text of a status code ("unknown status N" for a
// code it does not define; "status N" when the library gives no text): what
// the user is told when an operation failed.
std::u16string GetAPIStatusText(KSStatus code);
