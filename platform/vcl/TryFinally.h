#pragma once
// TryFinally(body, finally): runs `body`, then `finally` whether or not
// `body` raised; an exception from `body` travels on afterwards. The
// data-set operations use it where a step (an event, a state change) must
// happen even when the work before it fails.

#include <utility>

template <class Body, class Finally>
void TryFinally(Body&& body, Finally&& finally) {
  try {
    std::forward<Body>(body)();
  } catch (...) {
    finally();
    throw;
  }
  finally();
}
