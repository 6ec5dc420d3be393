// The exception a call throws, for tests that look at its contents.
#pragma once

#include <gtest/gtest.h>

// The exception f throws; a failure when it throws none.
template <class E, class F>
E Catch(F&& f) {
  try {
    f();
  } catch (const E& e) {
    return e;
  }
  ADD_FAILURE() << "no exception";
  return E();
}
