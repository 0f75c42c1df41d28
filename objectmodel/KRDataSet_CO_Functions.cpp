#include "objectmodel/KRDataSet_CO_Functions.h"

#include "objectmodel/KRAPI_UNT.h"
#include "objectmodel/KRAPI_UNT_Strings.h"
#include "objectmodel/KRDateConversion_UNT.h"
#include "platform/text/Utf.h"

namespace {

// The shared rule of the two equality tests.
template <class T>
bool HaveEqualUniqueIDs(T* a, T* b) {
  if (a == nullptr || b == nullptr) return a == b;
  return a->Get_UniqueID() == b->Get_UniqueID();
}

}  // namespace

bool IsProxyListEmpty(IKRProxyList* list) { return list == nullptr || list->Get_Count() == 0; }

bool AreProxiesEqual(IKRProxy* a, IKRProxy* b) { return HaveEqualUniqueIDs(a, b); }

bool AreProxyListsEqual(IKRProxyList* a, IKRProxyList* b) { return HaveEqualUniqueIDs(a, b); }

void ConvertAPIFieldToOleVariant(const KSField& field, OleVariant& variant) {
  switch (field.type) {
    case KS_TYPE_ID:
    case KS_TYPE_INTEGER:
    case KS_TYPE_DURATION:
    case KS_TYPE_UNSIGNED:
    case KS_TYPE_UNSIGNED2:
    case KS_TYPE_ENUMERATED:
    case KS_TYPE_REFERENCE:
      variant = OleVariant(field.value.asInteger);
      break;
    case KS_TYPE_BOOLEAN:
      variant = OleVariant(ConvertToBoolean(field.value.asBoolean));
      break;
    case KS_TYPE_FLOAT:
    case KS_TYPE_CURRENCY:
      variant = OleVariant(field.value.asDouble);
      break;
    case KS_TYPE_DATETIME:
      variant = OleVariant::FromDate(ConvertUTCToDateTime(field.value.asStamp));
      break;
    case KS_TYPE_STRING:
      variant = OleVariant(ConvertAPIStringToWideString(field.value.asString));
      break;
    default:
      break;
  }
}

std::u16string GetAPIStatusText(KSStatus code) {
  std::u16string text = ConvertAPIStringToWideString(KRAPI().KSFormatMessage(0, code, 0));
  if (text.empty()) text = u"status " + Utf8ToUtf16(std::to_string(code));
  return text;
}
