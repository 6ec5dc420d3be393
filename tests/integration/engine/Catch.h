// The exception a call throws, for tests that look at its contents.
#pragma once

#include <gtest/gtest.h>
#include <omniORB4/CORBA.h>

// The exception f throws; a failure when it throws none.
template <class E, class F>
E Catch(F&& f) {
  try {
    f();
  } catch (const E& e) {
    return e;
  } catch (const CORBA::Exception& e) {
    ADD_FAILURE() << "another exception: " << e._name();
    return E();
  }
  ADD_FAILURE() << "no exception";
  return E();
}
