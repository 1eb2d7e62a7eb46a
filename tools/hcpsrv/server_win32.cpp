// The management service's pipe on Windows: a named pipe in message mode,
// one instance per client, each client served by a thread of its own. All
// waits are overlapped I/O that the stop request (Ctrl+C, Ctrl+Break, the
// console closing) cuts short.

#include "server.h"

// clang-format off
// The project's own headers come first: <windows.h> defines the system's
// error codes as macros of the same names.
#include "base/errors/os_error.h"
#include <windows.h>
// clang-format on

#include <cstdio>
#include <string>

#include "base/pipes/pipe_socket_path.h"
#include "base/system/unique_handle_win32.h"
#include "base/text/convert.h"
#include "client_session.h"
#include "client_threads.h"

namespace {

constexpr DWORD kPipeBufferBytes = 64 * 1024;

[[noreturn]] void fail(const std::wstring& what, DWORD error) {
  throwOsError(what, error, VCALLPOINT(L"", "servePipe"));
}

UniqueKernelHandle newEvent() {
  UniqueKernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!event) fail(L"Unable to create event", GetLastError());
  return event;
}

// Signalled by the console's stop keys; every wait of the server watches it.
HANDLE stopEvent = nullptr;

BOOL WINAPI onConsoleControl(DWORD) {
  SetEvent(stopEvent);
  return TRUE;
}

// Issues one overlapped operation and waits for it or for the stop request
// (which cancels it): 0 with the bytes moved, or the error.
template <class Issue>
DWORD completeOverlapped(HANDLE pipe, HANDLE event, HANDLE stop, DWORD& moved, Issue issue) {
  OVERLAPPED overlapped{};
  overlapped.hEvent = event;
  moved = 0;
  if (!issue(&overlapped)) {
    DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING) return error;
  }
  HANDLE handles[2] = {event, stop};
  if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0) {
    CancelIoEx(pipe, &overlapped);
    GetOverlappedResult(pipe, &overlapped, &moved, TRUE);
    return ERROR_OPERATION_ABORTED;
  }
  return GetOverlappedResult(pipe, &overlapped, &moved, FALSE) ? ERROR_SUCCESS : GetLastError();
}

// The messages of one connected pipe instance.
class PipeChannel : public MessageChannel {
 public:
  PipeChannel(HANDLE pipe, HANDLE stop) : pipe_(pipe), stop_(stop), event_(newEvent()) {}

  // A message longer than asked for ends in ERROR_MORE_DATA: out of step.
  bool receive(void* buffer, size_t size) override {
    DWORD moved = 0;
    DWORD error = completeOverlapped(pipe_, event_.get(), stop_, moved, [&](OVERLAPPED* overlapped) {
      return ReadFile(pipe_, buffer, static_cast<DWORD>(size), nullptr, overlapped);
    });
    return error == ERROR_SUCCESS && moved == size;
  }

  bool send(const void* data, size_t size) override {
    DWORD moved = 0;
    DWORD error = completeOverlapped(pipe_, event_.get(), stop_, moved, [&](OVERLAPPED* overlapped) {
      return WriteFile(pipe_, data, static_cast<DWORD>(size), nullptr, overlapped);
    });
    return error == ERROR_SUCCESS && moved == size;
  }

 private:
  HANDLE pipe_;
  HANDLE stop_;
  UniqueKernelHandle event_;
};

// A new instance of the pipe. The first one also claims the name: it fails
// while another server has instances of it.
UniqueKernelHandle createInstance(const std::wstring& pipeName, bool first) {
  // Wine ignores the first-instance flag: a pipe that exists at all is served.
  if (first && (WaitNamedPipeW(pipeName.c_str(), 1) || GetLastError() == ERROR_SEM_TIMEOUT))
    throw vexception(L"Another management service already listens on pipe " + pipeName);
  DWORD openMode = PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
  DWORD pipeMode = PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS;
  HANDLE pipe = CreateNamedPipeW(pipeName.c_str(), openMode, pipeMode, PIPE_UNLIMITED_INSTANCES, kPipeBufferBytes,
                                 kPipeBufferBytes, 0, nullptr);
  if (pipe != INVALID_HANDLE_VALUE) return UniqueKernelHandle(pipe);
  DWORD error = GetLastError();
  if (first && error == ERROR_ACCESS_DENIED)
    throw vexception(L"Another management service already listens on pipe " + pipeName);
  fail(L"Unable to create pipe " + pipeName, error);
}

}  // namespace

void servePipe(const std::wstring& pipeName) {
  if (!isPlainPipeName(pipeName))
    throw vexception(L"Invalid pipe name " + pipeName + L": expected \\\\.\\pipe\\ and a plain name");
  UniqueKernelHandle stop = newEvent();
  stopEvent = stop.get();
  if (!SetConsoleCtrlHandler(onConsoleControl, TRUE)) fail(L"Unable to receive the stop request", GetLastError());
  UniqueKernelHandle connected = newEvent();
  UniqueKernelHandle instance = createInstance(pipeName, true);
  std::printf("hcpsrv: serving %s\n", cstrLenient(pipeName).c_str());
  std::fflush(stdout);

  // The stop event wakes every client's thread out of its wait.
  HANDLE stopHandle = stop.get();
  ClientThreads<UniqueKernelHandle> clients([stopHandle](UniqueKernelHandle&) { SetEvent(stopHandle); });
  for (;;) {
    DWORD unused = 0;
    HANDLE pipe = instance.get();
    DWORD error = completeOverlapped(pipe, connected.get(), stop.get(), unused,
                                     [&](OVERLAPPED* overlapped) { return ConnectNamedPipe(pipe, overlapped); });
    if (error == ERROR_OPERATION_ABORTED) break;
    // ERROR_PIPE_CONNECTED: the client came before the wait began.
    if (error == ERROR_SUCCESS || error == ERROR_PIPE_CONNECTED) {
      clients.start(std::move(instance), [stopHandle](UniqueKernelHandle& pipe) {
        try {
          PipeChannel channel(pipe.get(), stopHandle);
          serveClient(channel);
        } catch (const vexception& e) {
          std::fprintf(stderr, "hcpsrv: %s\n", cstrLenient(e.fullText()).c_str());
        }
        // The client learns at once that it was dropped, not when the
        // thread is joined.
        DisconnectNamedPipe(pipe.get());
      });
    } else if (error != ERROR_NO_DATA) {
      // ERROR_NO_DATA: the client left before it was served.
      fail(L"Unable to wait for clients of pipe " + pipeName, error);
    }
    instance = createInstance(pipeName, false);
  }
  clients.joinAll();
  SetConsoleCtrlHandler(onConsoleControl, FALSE);
  std::printf("hcpsrv: stopped\n");
  std::fflush(stdout);
}
