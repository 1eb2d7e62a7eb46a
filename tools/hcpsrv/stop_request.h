#pragma once
// The request to stop the management service: SIGTERM or SIGINT on POSIX;
// Ctrl+C, Ctrl+Break or the console closing on Windows. While an object
// lives, the request stops the listener.

#include "base/pipes/pipe_server.h"

namespace wc {

class StopRequest {
 public:
  explicit StopRequest(Con::PipeListener& listener);
  ~StopRequest();
  StopRequest(const StopRequest&) = delete;
  StopRequest& operator=(const StopRequest&) = delete;

  // First thing in main: a stop request that comes before an object exists
  // waits for it, instead of ending the service half set up.
  static void holdUntilHandled();
};

}  // namespace wc
