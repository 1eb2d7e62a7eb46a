// hcpsrv's stop signal and its socket file: what only POSIX has.

#include <gtest/gtest.h>

#include "support/background_program.h"
#include "support/sandbox.h"

namespace wc {

namespace {

using namespace testing_support;

TEST(HcpsrvPosixTest, SigtermEndsItWithZeroAndRemovesTheSocket) {
  Sandbox sandbox;
  RunningHcpsrv service;
  ASSERT_TRUE(service.ready) << service.process.errors();
  EXPECT_TRUE(pathExists(sandbox.path("run/halvo/pipes/hcppipe")));
  EXPECT_EQ(service.process.stop(), 0);
  EXPECT_FALSE(pathExists(sandbox.path("run/halvo/pipes/hcppipe")));
  EXPECT_NE(service.process.output().find("serving"), std::string::npos) << service.process.output();
}

}  // namespace

}  // namespace wc
