#include "objectmodel/KRDataSet_CO_ProxyWithArguments.h"

#include <cstring>

#include "objectmodel/KRDateConversion_UNT.h"

void ConvertArgumentValueToFieldValue(const OleVariant& value, int32_t type,
                                      KSArgumentElement& target,
                                      std::deque<std::u16string>& texts) {
  switch (APIValueKindOf(type)) {
    case TKRAPIValueKind::Integer:
      target.asInteger = value.AsInteger();
      break;
    case TKRAPIValueKind::Boolean:
      target.asInteger = ConvertToAPIBoolean(value.AsBool());
      break;
    case TKRAPIValueKind::Double:
      target.asDouble = value.AsDouble();
      break;
    case TKRAPIValueKind::Stamp:
      target.asInteger = ConvertDateTimeToUTC(value.AsDate());
      break;
    case TKRAPIValueKind::String:
      texts.push_back(value.AsString());
      target.asString = texts.back().c_str();
      break;
    case TKRAPIValueKind::None:
      break;
  }

}

void ConvertArgumentToArgumentValue(IKRArgument& argument, KSArgumentValue& value,
                                    TKRArgumentStorage& storage) {
  const bool isArray = ConvertToBoolean(value.isArray);
  if (isArray) {
    storage.Elements.clear();
    value.elements = nullptr;
    value.elementCount = 0;
  }
  storage.Texts.clear();
  if (!argument.Get_IsNull()) {
    if (isArray) {
      const int32_t count = argument.Get_ArrayCount();
      storage.Elements.assign(size_t(count), KSArgumentElement{});
      for (int32_t i = 0; i < count; ++i) {
        ConvertArgumentValueToFieldValue(argument.Get_ArrayValue(i), value.elementType,
                                         storage.Elements[size_t(i)], storage.Texts);
      }
      value.elements = storage.Elements.empty() ? nullptr : storage.Elements.data();
      value.elementCount = count;
    } else {
      value.valueType = value.elementType;
      // The single value has the element's layout; a type without a
      // conversion leaves its bytes as they were.
      static_assert(sizeof(value.single) == sizeof(KSArgumentElement));
      KSArgumentElement single;
      std::memcpy(&single, &value.single, sizeof single);
      ConvertArgumentValueToFieldValue(argument.Get_Value(), value.elementType, single,
                                       storage.Texts);
      std::memcpy(&value.single, &single, sizeof single);
    }
  } else if (!isArray) {
    value.valueType = KS_TYPE_ABSENT;
  }
}
