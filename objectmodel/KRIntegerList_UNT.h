#pragma once
// TKRCustomIntegerList: a list of integers in insertion order, fillable from
// an automation array. Entries are pointer-sized, so that a list can hold
// addresses used as identities (UniqueIDs) as well as 32-bit values such as
// class identifiers. An index outside 0..Count-1 raises EListError.

#include <cstdint>
#include <vector>

#include "platform/com/Variant.h"
#include "platform/text/ListError.h"

class TKRCustomIntegerList {
 public:
  TKRCustomIntegerList() = default;
  virtual ~TKRCustomIntegerList() = default;

  int32_t GetCount() const { return int32_t(FList.size()); }
  intptr_t GetItem(int32_t index) const;
  virtual void Add(intptr_t value);
  void Clear() { FList.clear(); }
  // The first index holding value; -1 when absent.
  virtual int32_t IndexOf(intptr_t value) const;
  // Clears the list, then adds each element of a one-dimensional array in
  // index order (through Add), each converted to an integer. Empty and Null
  // leave the list empty.
  void SetAsVariantArray(const OleVariant& value);

 private:
  std::vector<intptr_t> FList;
};
