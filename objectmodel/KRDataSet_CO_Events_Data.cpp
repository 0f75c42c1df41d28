#include "objectmodel/KRDataSet_CO_Events_Data.h"

#include <utility>

#include "objectmodel/KRDataSet_CO_Functions.h"

OleVariant TKREventData::Make(int32_t kind, int32_t code, std::vector<OleVariant> values) {
  return OleVariant::ArrayOf(
      {OleVariant(false), OleVariant(kind), OleVariant(code),
       values.empty() ? OleVariant::Null() : OleVariant::ArrayOf(std::move(values))});
}

OleVariant TKREventData::FromRecord(const KSEventRecord& event) {
  std::vector<OleVariant> values;
  if (event.valueCount > 0 && event.values != nullptr) {
    values.resize(size_t(event.valueCount));
    for (int32_t i = 0; i < event.valueCount; ++i) {
      ConvertAPIFieldToOleVariant(event.values[i], values[size_t(i)]);
    }
  }
  return Make(event.kind, event.code, std::move(values));
}

int32_t TKREventData::ValueCount() const {
  const OleVariant& values = Values();
  return values.IsArray() ? values.HighBound() - values.LowBound() + 1 : 0;
}

OleVariant TKREventData::Value(int32_t index) const {
  if (index < 0 || index >= ValueCount()) return OleVariant();
  const OleVariant& values = Values();
  return values[values.LowBound() + index];
}
