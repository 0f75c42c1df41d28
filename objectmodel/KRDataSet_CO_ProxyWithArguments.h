#pragma once
// TKRProxyWithArguments<I>: the proxy base that keeps typed arguments
// (TKRArgument) beside an array of argument values in the library's layout
// (KSArgumentValue), one per argument, created together.
//
// - ArgumentCount and Arguments create the arguments first (CreateArguments,
//   which a descendant fills from the library) and answer 0 / raise while
//   there are none.
// - AddArgument prepares the value of its index: the array flag, the type as
//   element type, for a single value also as value type; no elements.
// - RefreshArgumentValues converts every argument into its value
//   (ConvertArgumentToArgumentValue). The element arrays and texts that the
//   values point to belong to this proxy and stay valid until the next
//   conversion or FreeArguments, so any number of text values reaches the
//   library intact.

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "objectmodel/KRAPI_UNT_Strings.h"
#include "objectmodel/KRDataSet_CO_Signal_Interface.h"

KR_DECLARE_EXCEPTION(EKRArgumentError, Exception);

// What an argument value points to: its elements and its texts.
struct TKRArgumentStorage {
  std::vector<KSArgumentElement> Elements;
  std::deque<std::u16string> Texts;  // a deque keeps the texts in place as it grows
};

// Converts one automation value into the 8 bytes of an argument value by the
// API type: a 32-bit integer (1, 3, 4, 7, 8, 10, 11), an API boolean (2), a
// double (5, 15), a time stamp from the date-time (6), or a text kept in
// `texts` (9); other types leave the target as it is.
void ConvertArgumentValueToFieldValue(const OleVariant& value, int32_t type,
                                      KSArgumentElement& target, std::deque<std::u16string>& texts);
// Converts the argument into `value`: an array frees its elements first; a
// non-Null array gets ArrayCount elements of the element type; a non-Null
// single value takes its type as value type and its value; a Null single
// value gets value type 13 and a Null array stays empty.
void ConvertArgumentToArgumentValue(IKRArgument& argument, KSArgumentValue& value,
                                    TKRArgumentStorage& storage);

template <class I = IKRProxyWithArguments>
class TKRProxyWithArguments : public TKRProxyInterface<I> {
 public:
  int32_t Get_ArgumentCount() override {
    return this->Guard([&] {
      if (!FArguments) CreateArguments();
      return FArguments ? int32_t(FArguments->size()) : 0;
    });
  }
  ComPtr<IKRArgument> Get_Arguments(int32_t index) override {
    return this->Guard([&] {
      if (!FArguments) CreateArguments();
      if (!FArguments || index < 0 || size_t(index) >= FArguments->size()) {
        throw EKRArgumentError("Argument index " + std::to_string(index) + " out of range");
      }
      return (*FArguments)[size_t(index)];
    });
  }
  void ClearArguments() override {
    this->Guard([&] {
      if (!FArguments) return;
      for (const ComPtr<IKRArgument>& argument : *FArguments) argument->Clear();
    });
  }

 protected:
  // Fills the arguments (AllocateArguments, AddArgument); none by default.
  virtual void CreateArguments() {}

  void AllocateArguments(int32_t count) {
    FArguments = std::make_unique<std::vector<ComPtr<IKRArgument>>>();
    FArgumentValues = std::make_unique<std::vector<KSArgumentValue>>(size_t(count));
    FArgumentStorage = std::make_unique<std::vector<TKRArgumentStorage>>(size_t(count));
  }
  void AddArgument(int32_t index, bool isArray, bool isMandatory, const std::u16string& description,
                   int32_t type) {
    FArguments->push_back(MakeComObject<TKRArgument>(description, isMandatory, type, isArray));
    KSArgumentValue& value = FArgumentValues->at(size_t(index));
    value = KSArgumentValue{};
    value.isArray = ConvertToAPIBoolean(isArray);
    value.valueType = isArray ? 0 : type;
    value.elementType = type;
  }
  void FreeArguments() {
    FArguments.reset();
    FArgumentValues.reset();
    FArgumentStorage.reset();
  }
  void RefreshArgumentValues() {
    if (!FArguments) return;
    for (size_t i = 0; i < FArguments->size(); ++i) {
      ConvertArgumentToArgumentValue(*(*FArguments)[i], (*FArgumentValues)[i],
                                     (*FArgumentStorage)[i]);
    }
  }
  const KSArgumentValue* ArgumentValues() const {
    return FArgumentValues && !FArgumentValues->empty() ? FArgumentValues->data() : nullptr;
  }

  std::unique_ptr<std::vector<ComPtr<IKRArgument>>> FArguments;
  std::unique_ptr<std::vector<KSArgumentValue>> FArgumentValues;

 private:
  std::unique_ptr<std::vector<TKRArgumentStorage>> FArgumentStorage;
};
