#pragma once
// An uncounted reference to an object of any class, kept with a list item.
// It remembers the class it was stored as and gives the pointer back only as
// that class, so a wrong cast is reported instead of being undefined.

#include <string>
#include <typeinfo>

#include "platform/ui/Control.h"

class TItemObject {
 public:
  TItemObject() = default;
  template <class T>
  TItemObject(T* object)  // implicit, so that a pointer can be passed as it is
      : pointer_(const_cast<void*>(static_cast<const void*>(object))),
        type_(object ? &typeid(T) : nullptr) {}

  bool Empty() const { return pointer_ == nullptr; }
  // The object as T*; nullptr when empty; EInvalidOperation when it was
  // stored as another class.
  template <class T>
  T* As() const {
    if (!pointer_) return nullptr;
    if (*type_ != typeid(T)) {
      throw EInvalidOperation(std::string("Item object is not a ") + typeid(T).name());
    }
    return static_cast<T*>(pointer_);
  }
  friend bool operator==(const TItemObject& a, const TItemObject& b) {
    return a.pointer_ == b.pointer_;
  }

 private:
  void* pointer_ = nullptr;
  const std::type_info* type_ = nullptr;
};
