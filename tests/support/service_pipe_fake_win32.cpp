// On Windows a server end is a named pipe instance in message mode, opened
// for overlapped I/O so that the listener's wait can be cut short. A closed
// end lets the client read what was sent before it finds the pipe broken.

#include "support/service_pipe_fake.h"

#include <windows.h>

#include <atomic>
#include <stdexcept>

#include "base/pipes/pipe_socket_path.h"

namespace testing_support {

namespace {

constexpr DWORD kBufferBytes = 64 * 1024;

HANDLE handleOf(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// Issues an overlapped operation and waits for it or for `stop` (may be
// null), which cancels it: whether it succeeded, with the bytes it moved.
template <class Issue>
bool complete(HANDLE pipe, HANDLE stop, DWORD& moved, Issue issue) {
  OVERLAPPED overlapped{};
  overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  bool done = issue(pipe, &overlapped) || GetLastError() == ERROR_PIPE_CONNECTED;
  if (!done && GetLastError() == ERROR_IO_PENDING) {
    HANDLE handles[2] = {overlapped.hEvent, stop};
    if (WaitForMultipleObjects(stop ? 2 : 1, handles, FALSE, INFINITE) != WAIT_OBJECT_0) CancelIoEx(pipe, &overlapped);
    done = GetOverlappedResult(pipe, &overlapped, &moved, TRUE);
  } else if (done) {
    GetOverlappedResult(pipe, &overlapped, &moved, FALSE);
  }
  CloseHandle(overlapped.hEvent);
  return done;
}

// `inBuffer` 0 makes a client's write wait until the server reads it.
intptr_t newInstance(const std::wstring& name, DWORD inBuffer = kBufferBytes) {
  HANDLE pipe = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                 PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES,
                                 kBufferBytes, inBuffer, 0, nullptr);
  if (pipe == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create pipe: " + std::to_string(GetLastError()));
  return reinterpret_cast<intptr_t>(pipe);
}

bool connect(intptr_t pipe, intptr_t stop) {
  DWORD unused = 0;
  return complete(handleOf(pipe), handleOf(stop), unused,
                  [](HANDLE pipe, OVERLAPPED* overlapped) { return ConnectNamedPipe(pipe, overlapped); });
}

}  // namespace

std::optional<std::string> PipeEnd::receive() {
  std::string buffer(kBufferBytes, '\0');
  DWORD moved = 0;
  if (!complete(handleOf(handle_), nullptr, moved, [&](HANDLE pipe, OVERLAPPED* overlapped) {
        return ReadFile(pipe, buffer.data(), kBufferBytes, nullptr, overlapped);
      }))
    return std::nullopt;
  return buffer.substr(0, moved);
}

bool PipeEnd::send(const std::string& message) {
  DWORD moved = 0;
  return complete(handleOf(handle_), nullptr, moved,
                  [&](HANDLE pipe, OVERLAPPED* overlapped) {
                    return WriteFile(pipe, message.data(), static_cast<DWORD>(message.size()), nullptr, overlapped);
                  }) &&
         moved == message.size();
}

void PipeEnd::close() {
  if (handle_ != -1) CloseHandle(handleOf(handle_));
  handle_ = -1;
}

// One instance waits for a client at a time.
PipeListener::PipeListener(const std::wstring& name)
    : name_(std::wstring(kPipeNamePrefix) + name),
      listener_(newInstance(name_)),
      stop_(reinterpret_cast<intptr_t>(CreateEventW(nullptr, TRUE, FALSE, nullptr))) {}

PipeListener::~PipeListener() {
  CloseHandle(handleOf(listener_));
  CloseHandle(handleOf(stop_));
}

std::unique_ptr<PipeEnd> PipeListener::accept() {
  // A failed connection is a client that left before it was taken.
  while (!connect(listener_, stop_)) {
    if (WaitForSingleObject(handleOf(stop_), 0) == WAIT_OBJECT_0) return nullptr;
    CloseHandle(handleOf(std::exchange(listener_, newInstance(name_))));
  }
  return std::make_unique<PipeEnd>(std::exchange(listener_, newInstance(name_)));
}

void PipeListener::stop() { SetEvent(handleOf(stop_)); }

PipePair pipePair(bool congested) {
  static std::atomic<int> counter{0};
  const std::wstring name =
      L"\\\\.\\pipe\\wc-test-pair-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
  PipePair pair{Con::os::UniqueHandle(), std::make_unique<PipeEnd>(newInstance(name, congested ? 0 : kBufferBytes))};
  if (Con::os::openPipe(name, Con::os::kGenericRead | Con::os::kGenericWrite, pair.client) != 0 ||
      Con::os::setPipeMode(pair.client.get(), Con::os::kPipeReadModeMessage) != 0)
    throw std::runtime_error("cannot connect a pipe pair");
  return pair;
}

}  // namespace testing_support
