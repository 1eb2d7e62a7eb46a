// The server side of a pipe on Windows: a named pipe in message mode, one
// instance per client and one more waiting for the next, all with
// overlapped I/O so that a stop or a drop cuts every wait short.

// clang-format off
// The project's own headers come first: <windows.h> defines the system's
// error codes as macros of the same names.
#include "base/errors/os_error.h"
#include "base/pipes/pipe_server.h"
#include "base/pipes/pipe_socket_path.h"
#include <windows.h>
// clang-format on

#include <exception>
#include <utility>

namespace wc {

namespace Con {

namespace {

constexpr DWORD kBufferBytes = 64 * 1024;

HANDLE handleOf(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

[[noreturn]] void fail(const std::wstring& what, DWORD error) {
  throwOsError(what, error, VCALLPOINT(L"", "Con::PipeListener"));
}

// Issues an overlapped operation and waits for it, or for `stop` (may be
// null) which cancels it: 0 with the bytes moved, or the error.
template <class Issue>
DWORD complete(HANDLE pipe, HANDLE stop, DWORD& moved, Issue issue) {
  OVERLAPPED overlapped{};
  overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!overlapped.hEvent) return GetLastError();
  DWORD error = issue(&overlapped) ? ERROR_SUCCESS : GetLastError();
  if (error == ERROR_SUCCESS || error == ERROR_IO_PENDING) {
    HANDLE handles[2] = {overlapped.hEvent, stop};
    if (WaitForMultipleObjects(stop ? 2 : 1, handles, FALSE, INFINITE) != WAIT_OBJECT_0) CancelIoEx(pipe, &overlapped);
    error = GetOverlappedResult(pipe, &overlapped, &moved, TRUE) ? ERROR_SUCCESS : GetLastError();
  }
  CloseHandle(overlapped.hEvent);
  return error;
}

// A new instance of the pipe. The first one also claims the name: it fails
// while another server has instances of it.
intptr_t newInstance(const std::wstring& pipeName, bool first) {
  // Wine ignores the first-instance flag: a pipe that exists at all is served.
  if (first && (WaitNamedPipeW(pipeName.c_str(), 1) || GetLastError() == ERROR_SEM_TIMEOUT))
    throw vexception(L"Another server already listens on pipe " + pipeName);
  const DWORD openMode = PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
  const DWORD pipeMode = PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS;
  HANDLE pipe = CreateNamedPipeW(pipeName.c_str(), openMode, pipeMode, PIPE_UNLIMITED_INSTANCES, kBufferBytes,
                                 kBufferBytes, 0, nullptr);
  if (pipe != INVALID_HANDLE_VALUE) return reinterpret_cast<intptr_t>(pipe);
  const DWORD error = GetLastError();
  if (first && error == ERROR_ACCESS_DENIED) throw vexception(L"Another server already listens on pipe " + pipeName);
  fail(L"Unable to create pipe " + pipeName, error);
}

}  // namespace

PipeConnection::~PipeConnection() { CloseHandle(handleOf(handle_)); }

std::optional<std::string> PipeConnection::receive(size_t maxBytes) {
  std::string message(maxBytes, '\0');
  DWORD moved = 0;
  if (complete(handleOf(handle_), nullptr, moved, [&](OVERLAPPED* overlapped) {
        return ReadFile(handleOf(handle_), message.data(), static_cast<DWORD>(maxBytes), nullptr, overlapped);
      }) != ERROR_SUCCESS)
    return std::nullopt;
  message.resize(moved);
  return message;
}

bool PipeConnection::send(const void* data, size_t size) {
  DWORD moved = 0;
  return complete(handleOf(handle_), nullptr, moved,
                  [&](OVERLAPPED* overlapped) {
                    return WriteFile(handleOf(handle_), data, static_cast<DWORD>(size), nullptr, overlapped);
                  }) == ERROR_SUCCESS &&
         moved == size;
}

void PipeConnection::drop() {
  CancelIoEx(handleOf(handle_), nullptr);
  DisconnectNamedPipe(handleOf(handle_));
}

ClientImpersonation::ClientImpersonation(const PipeConnection& connection) {
  if (!ImpersonateNamedPipeClient(handleOf(connection.handle_)))
    throwOsError(L"Unable to act as the client of a pipe", GetLastError(),
                 VCALLPOINT(L"", "Con::ClientImpersonation::ClientImpersonation"));
}

ClientImpersonation::~ClientImpersonation() {
  // A thread left with the client's identity must not go on serving.
  if (!RevertToSelf()) std::terminate();
}

PipeListener::PipeListener(const std::wstring& pipeName) : name_(pipeName) {
  if (!isPlainPipeName(pipeName))
    throw vexception(L"Invalid pipe name " + pipeName + L": expected \\\\.\\pipe\\ and a plain name");
  HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!stop) fail(L"Unable to create the stop event of pipe " + pipeName, GetLastError());
  stop_ = reinterpret_cast<intptr_t>(stop);
  try {
    listener_ = newInstance(pipeName, true);
  } catch (...) {
    CloseHandle(stop);
    throw;
  }
}

PipeListener::~PipeListener() {
  CloseHandle(handleOf(listener_));
  CloseHandle(handleOf(stop_));
}

std::unique_ptr<PipeConnection> PipeListener::accept() {
  for (;;) {
    DWORD unused = 0;
    const DWORD error = complete(handleOf(listener_), handleOf(stop_), unused, [&](OVERLAPPED* overlapped) {
      return ConnectNamedPipe(handleOf(listener_), overlapped);
    });
    if (WaitForSingleObject(handleOf(stop_), 0) == WAIT_OBJECT_0) return nullptr;
    // ERROR_PIPE_CONNECTED: the client came before the wait began;
    // ERROR_NO_DATA: it left before it was taken.
    if (error != ERROR_SUCCESS && error != ERROR_PIPE_CONNECTED && error != ERROR_NO_DATA)
      fail(L"Unable to wait for clients of pipe " + name_, error);
    const intptr_t client = std::exchange(listener_, newInstance(name_, false));
    if (error == ERROR_NO_DATA) {
      CloseHandle(handleOf(client));
      continue;
    }
    return std::make_unique<PipeConnection>(client);
  }
}

void PipeListener::stop() { SetEvent(handleOf(stop_)); }

}  // namespace Con

}  // namespace wc
