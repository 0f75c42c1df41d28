#pragma once
// The process's registry of component classes by name, through which the
// component stream creates the components it reads. The framework registers
// its own classes; a program registers its own before reading streams that
// hold them. Names compare without regard to case; registering a name again
// replaces its factory. Safe to use from several threads.

#include <functional>
#include <string>
#include <string_view>

#include "platform/vcl/Streams.h"

class TComponent;

// Raised when a stream names a class that is not registered.
KR_DECLARE_EXCEPTION(EClassNotFound, EFilerError);

// Creates a component of one class with the given owner (which takes it).
using TComponentFactory = std::function<TComponent*(TComponent* owner)>;

void RegisterClass(std::string_view name, TComponentFactory factory);
// The factory registered for `name`, or an empty function.
TComponentFactory GetClass(std::string_view name);
// The factory registered for `name`; EClassNotFound "Class <name> not found"
// when there is none.
TComponentFactory FindClass(std::string_view name);

template <class T>
void RegisterComponentClass(std::string_view name) {
  RegisterClass(name, [](TComponent* owner) -> TComponent* { return new T(owner); });
}
