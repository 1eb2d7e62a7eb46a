// clang-format off
// The project's own headers come first: <windows.h> defines the system's
// error codes as macros of the same names.
#include "base/errors/os_error.h"
#include "stop_request.h"
#include <windows.h>
// clang-format on

namespace wc {

namespace {

Con::PipeListener* stopping = nullptr;

BOOL WINAPI onConsoleControl(DWORD) {
  if (stopping) stopping->stop();
  return TRUE;
}

}  // namespace

// A Ctrl+C before the handler ends the process; its named pipe goes with it,
// and nothing is left behind to hold back.
void StopRequest::holdUntilHandled() {}

StopRequest::StopRequest(Con::PipeListener& listener) {
  stopping = &listener;
  if (!SetConsoleCtrlHandler(onConsoleControl, TRUE))
    throwOsError(L"Unable to receive the stop request", GetLastError(), VCALLPOINT(L"", "StopRequest"));
}

StopRequest::~StopRequest() {
  SetConsoleCtrlHandler(onConsoleControl, FALSE);
  stopping = nullptr;
}

}  // namespace wc
