#pragma once
// A program of build/bin running in the background for the length of a test.

#include "support/child_process.h"

namespace testing_support {

using BackgroundProgram = ChildProcess;

}  // namespace testing_support
