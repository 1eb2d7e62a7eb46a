#include "stop_request.h"

#include <signal.h>

#include <cerrno>

#include "base/errors/os_error.h"
#include "base/system/errno_posix.h"

namespace wc {

namespace {

Con::PipeListener* stopping = nullptr;

// SIGTERM and SIGINT.
sigset_t stopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  return signals;
}

// Stopping the listener is a write to its stop event: safe in a handler.
void onStopSignal(int) {
  if (stopping) stopping->stop();
}

}  // namespace

// Blocked until the handler is in place: a signal that came while the pipe was
// being made would end the service with its socket left behind.
void StopRequest::holdUntilHandled() {
  const sigset_t signals = stopSignals();
  ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

StopRequest::StopRequest(Con::PipeListener& listener) {
  stopping = &listener;
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  if (::sigaction(SIGTERM, &action, nullptr) != 0 || ::sigaction(SIGINT, &action, nullptr) != 0)
    throwOsError(L"Unable to receive the stop signals", windowsErrorFromErrno(errno), VCALLPOINT(L"", "StopRequest"));
  // Replies go with MSG_NOSIGNAL; this covers a closed stdout as well.
  ::signal(SIGPIPE, SIG_IGN);
  const sigset_t signals = stopSignals();
  ::pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
}

StopRequest::~StopRequest() {
  ::signal(SIGTERM, SIG_DFL);
  ::signal(SIGINT, SIG_DFL);
  stopping = nullptr;
}

}  // namespace wc
