#include "objectmodel/KRDataSet_CO_StringList.h"

#include "platform/text/Utf.h"

TKRStringList::TKRStringList(std::unique_ptr<TKRStrings> list)
    : FList(list.get()), FOwnedList(std::move(list)) {}

TKRStringList::TKRStringList(TKRStrings* list, ComPtr<IUnknown> listOwner)
    : FList(list), FListOwner(std::move(listOwner)) {}

int32_t TKRStringList::Get_Count() {
  return Guard([&] { return FList != nullptr ? int32_t(FList->size()) : 0; });
}

std::u16string TKRStringList::Get_Strings(int32_t index) {
  return Guard([&] {
    if (FList == nullptr) return std::u16string();
    if (index < 0 || size_t(index) >= FList->size()) {
      throw EKRStringListError("List index out of bounds (" + std::to_string(index) + ")");
    }
    return Utf8ToUtf16((*FList)[size_t(index)]);
  });
}

void TKRStringList::Append(const std::u16string& text) {
  Guard([&] {
    if (FList == nullptr) throw EKRStringListError("The string list wraps no list");
    FList->push_back(Utf16ToUtf8(text));
  });
}

ComPtr<IKRStringList> CreateStringList(TKRStrings list) {
  return MakeComObject<TKRStringList>(std::make_unique<TKRStrings>(std::move(list)));
}
