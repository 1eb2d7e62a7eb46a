#pragma once
// The client end of a named pipe.

#include <cstdint>
#include <string>

#include "base/pipes/connect_try_count.h"
#include "base/pipes/overlapped_pipe.h"

namespace wc {

namespace Con {

class ClientOverlappedPipe : public OverlappedPipe {
 public:
  explicit ClientOverlappedPipe(os::UniqueHandle handle);
  ~ClientOverlappedPipe() override;

  // Connects to `name` ("\\.\pipe\NAME") in message read mode, trying as often
  // as the panel's PipeConnectTryCount says (else `defaultTries`) and waiting
  // up to 1000 ms per try for a busy pipe. Throws "Unable to connect to pipe "
  // + name (with the system's error where there is one) or "Unable to set
  // mode of pipe " + name.
  static os::UniqueHandle create(const Context& context, const std::wstring& name, uint32_t access, uint32_t pipeMode,
                                 uint32_t defaultTries);
  // The same with the try count read through `tryCount` instead of the
  // process-wide reading.
  static os::UniqueHandle create(const Context& context, const std::wstring& name, uint32_t access, uint32_t pipeMode,
                                 uint32_t defaultTries, ConnectTryCount& tryCount);
};

}  // namespace Con

}  // namespace wc
