#include "base/pipes/client_overlapped_pipe.h"

#include "base/errors/os_error.h"
#include "base/pipes/connect_try_count.h"
#include "base/system/clock.h"

namespace wc {

namespace Con {

namespace {
constexpr uint32_t kBusyWaitMs = 1000;
constexpr uint32_t kRetryPauseMs = 50;
}  // namespace

ClientOverlappedPipe::ClientOverlappedPipe(os::UniqueHandle handle) : OverlappedPipe(std::move(handle)) {}

ClientOverlappedPipe::~ClientOverlappedPipe() = default;

os::UniqueHandle ClientOverlappedPipe::create(const Context& context, const std::wstring& name, uint32_t access,
                                              uint32_t pipeMode, uint32_t defaultTries) {
  return create(context, name, access, pipeMode, defaultTries, processConnectTryCount());
}

os::UniqueHandle ClientOverlappedPipe::create(const Context& context, const std::wstring& name, uint32_t access,
                                              uint32_t pipeMode, uint32_t defaultTries, ConnectTryCount& tryCount) {
  const char* function = "Con::ClientOverlappedPipe::create";
  const uint32_t tries = tryCount.tries(defaultTries);
  os::UniqueHandle handle;
  for (uint32_t attempt = 0; attempt < tries && !handle; ++attempt) {
    uint32_t code = os::openPipe(name, access, handle);
    if (code == ERROR_SUCCESS) break;
    if (code != ERROR_PIPE_BUSY) throwOsError(L"Unable to connect to pipe " + name, code, VCALLPOINT(L"", function));
    if (!os::waitNamedPipe(name, kBusyWaitMs)) context.clock->sleep(kRetryPauseMs);
  }
  if (!handle) throw vexception(L"Unable to connect to pipe " + name, VCALLPOINT(L"", function));
  if (uint32_t code = os::setPipeMode(handle.get(), pipeMode))
    throwOsError(L"Unable to set mode of pipe " + name, code, VCALLPOINT(L"", function));
  return handle;
}

}  // namespace Con

}  // namespace wc
