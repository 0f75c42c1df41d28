#include "objectmodel/KRDataSet_CO_Server_Strings.h"

#include <algorithm>

#include "objectmodel/KRAPI_UNT_Strings.h"
#include "platform/text/Locale.h"

namespace {

bool SortsBefore(const std::string& a, std::string_view b) { return AnsiCompareStr(a, b) < 0; }

// The entry equal to `text`, else the end of the entries that collate equal
// to it (where it belongs): texts that collate equal but differ stay apart,
// in insertion order.
TKRStrings::const_iterator Place(const TKRStrings& list, std::string_view text) {
  auto at = std::lower_bound(list.begin(), list.end(), text, SortsBefore);
  while (at != list.end() && *at != text && AnsiCompareStr(*at, text) == 0) ++at;
  return at;
}

}  // namespace

int32_t FindSortedString(const TKRStrings& list, std::string_view text) {
  const auto at = Place(list, text);
  return at != list.end() && *at == text ? int32_t(at - list.begin()) : -1;
}

int32_t AddSortedString(TKRStrings& list, std::string text) {
  const auto at = Place(list, text);
  if (at != list.end() && *at == text) return int32_t(at - list.begin());
  const auto index = at - list.cbegin();
  list.insert(at, std::move(text));
  return int32_t(index);
}

TKRStrings APIStrings(int32_t count, const char16_t* const* array) {
  TKRStrings list;
  if (array != nullptr && count > 0) AddAPIStrings(list, count, array);
  return list;
}

TKRStrings SortedAPIStrings(int32_t count, const char16_t* const* array) {
  TKRStrings sorted;
  for (std::string& text : APIStrings(count, array)) AddSortedString(sorted, std::move(text));
  return sorted;
}

ComPtr<IKRStringList> BorrowStrings(TKRStrings* list, IUnknown* owner) {
  return MakeComObject<TKRStringList>(list, ComPtr<IUnknown>(owner));
}

ComPtr<IKRStringList> BorrowStrings(TKRSharedStrings* shared) {
  if (shared == nullptr) return MakeComObject<TKRStringList>();
  return BorrowStrings(&shared->List, shared->UnknownSelf());
}

ComPtr<IKRStringList> OwnStrings(TKRStrings list) {
  return MakeComObject<TKRStringList>(std::make_unique<TKRStrings>(std::move(list)));
}
