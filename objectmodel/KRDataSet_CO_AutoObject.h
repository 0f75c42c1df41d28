#pragma once
// TKRAutoObject<Interfaces...>: the base of the object model's small
// automation objects that have no event handlers of their own (field values,
// arguments, errors, string lists). It is reference counted like every
// ComObject and gives its descendants Guard, which runs an interface
// method's body at the interface boundary: a failure reaches the caller as
// EOleSysError (EOleException) with the error result and the message, and no
// other exception leaves the method.

#include <utility>

#include "objectmodel/KRDataSet_CO_Boundary.h"
#include "platform/com/Unknown.h"

template <class... Interfaces>
class TKRAutoObject : public ComObject<Interfaces...> {
 protected:
  TKRAutoObject() = default;

  template <class Body>
  decltype(auto) Guard(Body&& body) {
    return RunAtInterface(this, nullptr, std::forward<Body>(body));
  }
};
