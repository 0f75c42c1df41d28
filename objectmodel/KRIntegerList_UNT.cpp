#include "objectmodel/KRIntegerList_UNT.h"

#include <algorithm>

intptr_t TKRCustomIntegerList::GetItem(int32_t index) const {
  if (index < 0 || index >= GetCount()) ListIndexError(index);
  return FList[size_t(index)];
}

void TKRCustomIntegerList::Add(intptr_t value) { FList.push_back(value); }

int32_t TKRCustomIntegerList::IndexOf(intptr_t value) const {
  const auto found = std::find(FList.begin(), FList.end(), value);
  return found == FList.end() ? -1 : int32_t(found - FList.begin());
}

void TKRCustomIntegerList::SetAsVariantArray(const OleVariant& value) {
  Clear();
  if (value.IsNull() || value.IsEmpty()) return;
  const int32_t low = value.LowBound();
  const int32_t high = value.HighBound();
  if (high >= low) FList.reserve(size_t(int64_t(high) - low + 1));
  for (int32_t i = low; i <= high; ++i) Add(intptr_t(value[i].AsInt64()));
}
