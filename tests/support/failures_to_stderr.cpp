// Every failing assertion is also written to standard error. Tests capture standard output to
// look at the master control's log lines, and Google Test prints failures there: a failure
// inside a capture would otherwise leave nothing but the failed test's name.
#include <cstdio>

#include <gtest/gtest.h>

namespace {

class FailuresToStderr : public testing::EmptyTestEventListener {
  void OnTestPartResult(const testing::TestPartResult& result) override {
    if (!result.failed()) return;
    std::fprintf(stderr, "%s:%d: Failure\n%s\n", result.file_name() ? result.file_name() : "unknown file",
                 result.line_number(), result.message());
    std::fflush(stderr);
  }
};

const bool kInstalled = [] {
  testing::UnitTest::GetInstance()->listeners().Append(new FailuresToStderr);
  return true;
}();

}  // namespace
