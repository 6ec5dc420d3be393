// What radaltctl and the Python module learn from a failed request: a master control that is
// not reached is told apart from a channel engine the master control did not reach.
#include <gtest/gtest.h>

#include "RadaltClient.h"

namespace rc = radaltclient;

TEST(ClientErrors, AChannelTheMasterControlDidNotReachIsARefusalNamingIt) {
  try {
    rc::Translate([] {
      throw Velmarin::Connection_errors::Communications_failure("Channel 2 engine not reached (COMM_FAILURE)");
    });
    FAIL() << "nothing thrown";
  } catch (const rc::Refused& e) {
    EXPECT_EQ("Communications_failure", e.kind);
    EXPECT_EQ("Channel 2 engine not reached (COMM_FAILURE)", e.text);
  }
}

TEST(ClientErrors, AMiddlewareFailureOfTheClientsOwnCallIsTheTestSetUnreachable) {
  for (auto thrower : {+[] { throw CORBA::COMM_FAILURE(0, CORBA::COMPLETED_NO); },
                       +[] { throw CORBA::TRANSIENT(0, CORBA::COMPLETED_NO); },
                       +[] { throw CORBA::TIMEOUT(0, CORBA::COMPLETED_MAYBE); }}) {
    try {
      rc::Translate(thrower);
      FAIL() << "nothing thrown";
    } catch (const rc::Unreachable& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find("master control")) << e.what();
      EXPECT_EQ(std::string::npos, std::string(e.what()).find("channel")) << e.what();
    }
  }
}
