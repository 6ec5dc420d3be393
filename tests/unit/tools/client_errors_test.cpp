// What radaltctl and the Python module learn from a failed request: a master control that is
// not reached is told apart from a channel engine the master control did not reach.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "RadaltClient.h"

namespace rc = radaltclient;
using namespace testing;

TEST(ClientErrors, AChannelNotReachedIsARefusalNamingItAndAFailureOfTheOwnCallIsUnreachable) {
  try {
    rc::Translate([] {
      throw Velmarin::Connection_errors::Communications_failure("Channel 2 engine not reached (COMM_FAILURE)");
    });
    FAIL() << "nothing thrown";
  } catch (const rc::Refused& e) {
    EXPECT_EQ("Communications_failure", e.kind);
    EXPECT_EQ("Channel 2 engine not reached (COMM_FAILURE)", e.text);
  }
  // A middleware failure of the client's own call is the test set unreachable.
  for (auto thrower : {+[] { throw CORBA::COMM_FAILURE(0, CORBA::COMPLETED_NO); },
                       +[] { throw CORBA::TRANSIENT(0, CORBA::COMPLETED_NO); },
                       +[] { throw CORBA::TIMEOUT(0, CORBA::COMPLETED_MAYBE); }}) {
    EXPECT_THAT([&] { rc::Translate(thrower); },
                ThrowsMessage<rc::Unreachable>(AllOf(HasSubstr("master control"), Not(HasSubstr("channel")))));
  }
}
