#pragma once
// A program of build/bin running in the background for the length of a test,
// and the management service among them.

#include <chrono>
#include <string>
#include <thread>

#include "base/pipes/pipe_io.h"
#include "base/pipes/pipe_socket_path.h"
#include "support/child_process.h"

namespace wc {

namespace testing_support {

using BackgroundProgram = ChildProcess;

// hcpsrv serving "\\.\pipe\" + `pipe` for the scope; `ready` once the pipe
// took a client (within ten seconds).
struct RunningHcpsrv {
  explicit RunningHcpsrv(const std::wstring& pipe = L"hcppipe") : process("hcpsrv", {}) {
    for (int waited = 0; waited < 10000 && !ready; waited += 10) {
      Con::os::UniqueHandle probe;
      ready = Con::os::openPipe(std::wstring(kPipeNamePrefix) + pipe, Con::os::kGenericRead, probe) == 0;
      if (!ready) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ChildProcess process;
  bool ready = false;
};

}  // namespace testing_support

}  // namespace wc
