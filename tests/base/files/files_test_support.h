#pragma once
// Helpers of the file tests: a child process that holds a file open, a clock
// that records sleeps instead of sleeping, and the shared test helpers.

#include <cstdint>
#include <string>
#include <vector>

#include "base/system/clock.h"
#include "support/child_process.h"
#include "support/failures.h"
#include "support/faulty_file_system.h"
#include "support/sandbox.h"
#include "support/test_context.h"

namespace wc {

namespace files_test {

using namespace testing_support;

// Another run of this test program that holds `path` open (read access,
// others may only read) until the object goes.
class HoldingChild {
 public:
  explicit HoldingChild(const std::string& path);
  uint32_t pid() const { return static_cast<uint32_t>(child_.pid()); }

 private:
  TempDir mark_;
  ChildProcess child_;
};

// Sleeps return at once and are noted.
class RecordingClock : public Clock {
 public:
  uint32_t tickCount() override { return elapsed_; }
  int64_t now() override { return 0; }
  LocalTime localTime() override { return {}; }
  void sleep(uint32_t milliseconds) override {
    sleeps.push_back(milliseconds);
    elapsed_ += milliseconds;
  }
  std::vector<uint32_t> sleeps;

 private:
  uint32_t elapsed_ = 0;
};

// The entries of a directory, sorted, "sub/" for subdirectories, recursively.
std::vector<std::string> treeOf(const std::string& dir);

// A path written with '/' as the file helpers give it back once they joined
// names to it: with the platform's separator.
std::wstring native(const std::string& path);

// Makes an entry read-only the platform's way (on POSIX: no write bits).
void makeReadOnly(const std::string& path);

// The failure of class E that `call` ends with, checked for a part of its
// message and the function of its first call point.
template <class E = vexception, class Call>
E failureHolding(Call&& call, const std::wstring& part, const char* function) {
  E e = failureOf<E>(std::forward<Call>(call));
  EXPECT_TRUE(holds(e.message(), part));
  EXPECT_EQ(e.callPoints().at(0).function, function);
  return e;
}

}  // namespace files_test

}  // namespace wc
