#pragma once
// TKRStringList: the wrapper through which every list of names leaves the
// object model (IKRStringList). A wrapper holds a list or none:
//   - over no list it reports Count 0 and empty strings, and Append fails;
//   - over an owned list (OwnsList true) it frees the list when it goes;
//   - over a borrowed list it keeps a counted reference to the list's owner
//     (when one is given), so the list outlives every wrapper handed out.
// Entries are narrow (UTF-8) text; Strings answers wide text and Append
// narrows. An index outside 0..Count-1 of a held list is a failure.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "objectmodel/KRDataSet_CO_AutoObject.h"
#include "platform/com/ComPtr.h"
#include "platform/text/Exception.h"

inline constexpr IID IID_IKRStringList = GuidLiteral("5D916B33-D165-11D2-8FD0-0008C70A56B5");

// The object model's lists of names.
using TKRStrings = std::vector<std::string>;

KR_DECLARE_EXCEPTION(EKRStringListError, Exception);

struct IKRStringList : IUnknown {
  static constexpr const IID& kIID = IID_IKRStringList;

  virtual int32_t Get_Count() = 0;
  virtual std::u16string Get_Strings(int32_t index) = 0;
  virtual void Append(const std::u16string& text) = 0;
};

class TKRStringList : public TKRAutoObject<IKRStringList> {
 public:
  // A wrapper over no list.
  TKRStringList() = default;
  // Owns the list.
  explicit TKRStringList(std::unique_ptr<TKRStrings> list);
  // Borrows the list; `listOwner`, when given, is kept alive by the wrapper.
  TKRStringList(TKRStrings* list, ComPtr<IUnknown> listOwner);

  int32_t Get_Count() override;
  std::u16string Get_Strings(int32_t index) override;
  void Append(const std::u16string& text) override;

  bool OwnsList() const { return FOwnedList != nullptr; }
  const TKRStrings* List() const { return FList; }

 private:
  TKRStrings* FList = nullptr;
  std::unique_ptr<TKRStrings> FOwnedList;
  ComPtr<IUnknown> FListOwner;
};

// A wrapper owning a copy of `list`.
ComPtr<IKRStringList> CreateStringList(TKRStrings list);
