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

TKRAPIValueKind APIValueKindOf(int32_t fieldType) {
  switch (fieldType) {
    case KS_TYPE_ID:
    case KS_TYPE_INTEGER:
    case KS_TYPE_DURATION:
    case KS_TYPE_UNSIGNED:
    case KS_TYPE_UNSIGNED2:
    case KS_TYPE_ENUMERATED:
    case KS_TYPE_REFERENCE:
      return TKRAPIValueKind::Integer;
    case KS_TYPE_BOOLEAN:
      return TKRAPIValueKind::Boolean;
    case KS_TYPE_FLOAT:
    case KS_TYPE_CURRENCY:
      return TKRAPIValueKind::Double;
    case KS_TYPE_DATETIME:
      return TKRAPIValueKind::Stamp;
    case KS_TYPE_STRING:
      return TKRAPIValueKind::String;
    default:
      return TKRAPIValueKind::None;
  }
}

void ConvertAPIFieldToOleVariant(const KSField& field, OleVariant& variant) {
  switch (APIValueKindOf(field.type)) {
    case TKRAPIValueKind::Integer:
      variant = OleVariant(field.value.asInteger);
      break;
    case TKRAPIValueKind::Boolean:
      variant = OleVariant(ConvertToBoolean(field.value.asBoolean));
      break;
    case TKRAPIValueKind::Double:
      variant = OleVariant(field.value.asDouble);
      break;
    case TKRAPIValueKind::Stamp:
      variant = OleVariant::FromDate(ConvertUTCToDateTime(field.value.asStamp));
      break;
    case TKRAPIValueKind::String:
      variant = OleVariant(ConvertAPIStringToWideString(field.value.asString));
      break;
    case TKRAPIValueKind::None:
      break;
  }
}

std::u16string GetAPIStatusText(KSStatus code) {
  std::u16string text = ConvertAPIStringToWideString(KRAPI().KSFormatMessage(0, code, 0));
  if (text.empty()) text = u"status " + Utf8ToUtf16(std::to_string(code));
  return text;
}
