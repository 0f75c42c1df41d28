#pragma once
// EListError: an index outside the bounds of a list of the runtime
// (components of an owner, items of a collection, fields of a data set,
// integer lists).

#include <string>

#include "platform/text/Exception.h"

KR_DECLARE_EXCEPTION(EListError, Exception);

[[noreturn]] inline void ListIndexError(int index) {
  throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}
