#include "support/service_pipe_fake.h"

#include <windows.h>

#include <atomic>
#include <stdexcept>

namespace wc {

namespace testing_support {

// An instance of a pipe of its own and the client connected to it. With no
// room in the server's input buffer, a client write waits for the read.
PipePair pipePair(bool congested) {
  static std::atomic<int> counter{0};
  const std::wstring name =
      L"\\\\.\\pipe\\wc-test-pair-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
  HANDLE server = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                   PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 1 << 16,
                                   congested ? 0 : 1 << 16, 0, nullptr);
  if (server == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create a pipe pair");
  PipePair pair{Con::os::UniqueHandle(), std::make_unique<Con::PipeConnection>(reinterpret_cast<intptr_t>(server))};
  if (Con::os::openPipe(name, Con::os::kGenericRead | Con::os::kGenericWrite, pair.client) != 0 ||
      Con::os::setPipeMode(pair.client.get(), Con::os::kPipeReadModeMessage) != 0)
    throw std::runtime_error("cannot connect a pipe pair");
  return pair;
}

}  // namespace testing_support

}  // namespace wc
