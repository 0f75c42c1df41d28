// A table of objects of one kind reached through 32-bit handles.
// A handle is kind (4 bits) | 0 | generation (11 bits) | slot (16 bits). Releasing an object
// bumps its slot's generation, so a released or stale handle, a handle of another kind and
// handle 0 all look up nothing. Bit 27 stays clear: it marks the handles of a daemon
// (RemoteHandles.h), which no table here ever finds. The table owns its objects.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "kestrel/include/KestrelAPI.h"

namespace kestrel::api {

template <typename T>
class HandleTable {
 public:
  explicit HandleTable(uint32_t kind) : kind_(kind) {}

  // 0 when the table is full.
  KSHandle Add(std::unique_ptr<T> object) {
    uint32_t slot;
    if (!free_.empty()) {
      slot = free_.back();
      free_.pop_back();
    } else {
      if (slots_.size() > kSlotMask) return 0;
      slot = static_cast<uint32_t>(slots_.size());
      slots_.push_back(Slot{});
    }
    slots_[slot].object = std::move(object);
    return Encode(slot, slots_[slot].generation);
  }

  T* Get(KSHandle handle) const {
    const Slot* slot = Find(handle);
    return slot ? slot->object.get() : nullptr;
  }

  std::unique_ptr<T> Remove(KSHandle handle) {
    Slot* slot = const_cast<Slot*>(Find(handle));
    if (slot == nullptr) return nullptr;
    std::unique_ptr<T> object = std::move(slot->object);
    slot->generation = slot->generation % kGenerationMask + 1;  // 1..2047, never 0
    free_.push_back(handle & kSlotMask);
    return object;
  }

  uint32_t Kind() const { return kind_; }

  // Handles of every live object, in slot order.
  std::vector<KSHandle> Handles() const {
    std::vector<KSHandle> handles;
    for (uint32_t i = 0; i < slots_.size(); ++i)
      if (slots_[i].object) handles.push_back(Encode(i, slots_[i].generation));
    return handles;
  }

 private:
  static constexpr uint32_t kSlotMask = 0xFFFF;
  static constexpr uint32_t kGenerationMask = 0x7FF;

  struct Slot {
    std::unique_ptr<T> object;
    uint32_t generation = 1;
  };

  KSHandle Encode(uint32_t slot, uint32_t generation) const {
    return (kind_ << 28) | (generation << 16) | slot;
  }

  const Slot* Find(KSHandle handle) const {
    if ((handle >> 28) != kind_) return nullptr;
    const uint32_t slot = handle & kSlotMask;
    if (slot >= slots_.size() || !slots_[slot].object) return nullptr;
    // The whole 12-bit field: a daemon's handle (bit 27) never matches.
    if (((handle >> 16) & 0xFFF) != slots_[slot].generation) return nullptr;
    return &slots_[slot];
  }

  uint32_t kind_;
  std::vector<Slot> slots_;
  std::vector<uint32_t> free_;
};

}  // namespace kestrel::api
