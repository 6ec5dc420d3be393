// The exception a call throws, for tests that look at its contents, and the standard output
// a call writes.
#pragma once

#include <gtest/gtest.h>
#include <omniORB4/CORBA.h>

#include <string>

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

// Standard output written while f runs.
template <class F>
std::string Output(F&& f) {
  testing::internal::CaptureStdout();
  try {
    f();
  } catch (...) {
    testing::internal::GetCapturedStdout();
    throw;
  }
  return testing::internal::GetCapturedStdout();
}
