// On Windows a server end is a named pipe instance in message mode, opened
// for overlapped I/O so that the listener's wait can be cut short. A closed
// end lets the client read what was sent before it finds the pipe broken.

#include "support/service_pipe_fake.h"

#include <atomic>
#include <stdexcept>

#include "base/system/unique_handle_win32.h"

namespace testing_support {

namespace {

constexpr DWORD kBufferBytes = 64 * 1024;

UniqueKernelHandle newEvent() { return UniqueKernelHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr)); }

// Issues an overlapped operation and waits for it or for `stop` (may be
// null), which cancels it: whether it succeeded, with the bytes it moved.
template <class Issue>
bool complete(HANDLE pipe, HANDLE stop, DWORD& moved, Issue issue) {
  UniqueKernelHandle event = newEvent();
  OVERLAPPED overlapped{};
  overlapped.hEvent = event.get();
  if (!issue(&overlapped)) {
    const DWORD error = GetLastError();
    if (error == ERROR_PIPE_CONNECTED) return true;
    if (error != ERROR_IO_PENDING) return false;
  }
  HANDLE handles[2] = {event.get(), stop};
  if (WaitForMultipleObjects(stop ? 2 : 1, handles, FALSE, INFINITE) != WAIT_OBJECT_0) CancelIoEx(pipe, &overlapped);
  return GetOverlappedResult(pipe, &overlapped, &moved, TRUE);
}

// `inBuffer` 0 makes a client's write wait until the server reads it.
UniqueFileHandle newInstance(const std::wstring& name, DWORD inBuffer = kBufferBytes) {
  UniqueFileHandle pipe(CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                         PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                         PIPE_UNLIMITED_INSTANCES, kBufferBytes, inBuffer, 0, nullptr));
  if (!pipe) throw std::runtime_error("cannot create pipe (error " + std::to_string(GetLastError()) + ")");
  return pipe;
}

bool connect(HANDLE pipe, HANDLE stop) {
  DWORD unused = 0;
  return complete(pipe, stop, unused, [&](OVERLAPPED* overlapped) { return ConnectNamedPipe(pipe, overlapped); });
}

}  // namespace

struct PipeEnd::Os {
  UniqueFileHandle pipe;
};

PipeEnd::PipeEnd(std::unique_ptr<Os> os) : os_(std::move(os)) {}
PipeEnd::~PipeEnd() = default;

std::optional<std::string> PipeEnd::receive() {
  std::string buffer(kBufferBytes, '\0');
  DWORD moved = 0;
  HANDLE pipe = os_->pipe.get();
  if (!pipe || !complete(pipe, nullptr, moved, [&](OVERLAPPED* overlapped) {
        return ReadFile(pipe, buffer.data(), kBufferBytes, nullptr, overlapped);
      }))
    return std::nullopt;
  return buffer.substr(0, moved);
}

bool PipeEnd::send(const std::string& message) {
  DWORD moved = 0;
  HANDLE pipe = os_->pipe.get();
  return complete(pipe, nullptr, moved,
                  [&](OVERLAPPED* overlapped) {
                    return WriteFile(pipe, message.data(), static_cast<DWORD>(message.size()), nullptr, overlapped);
                  }) &&
         moved == message.size();
}

void PipeEnd::close() { os_->pipe.reset(); }

namespace {
std::unique_ptr<PipeEnd> endOf(UniqueFileHandle pipe) {
  auto os = std::make_unique<PipeEnd::Os>();
  os->pipe = std::move(pipe);
  return std::make_unique<PipeEnd>(std::move(os));
}
}  // namespace

// One instance waits for a client at a time.
struct PipeListener::Os {
  std::wstring name;
  UniqueFileHandle instance;
  UniqueKernelHandle stop = newEvent();
};

PipeListener::PipeListener(const std::wstring& name, bool /*queue*/) : os_(std::make_unique<Os>()) {
  os_->name = L"\\\\.\\pipe\\" + name;
  os_->instance = newInstance(os_->name);
}

PipeListener::~PipeListener() = default;

std::unique_ptr<PipeEnd> PipeListener::accept() {
  // A failed connection is a client that left before it was taken.
  while (!connect(os_->instance.get(), os_->stop.get())) {
    if (WaitForSingleObject(os_->stop.get(), 0) == WAIT_OBJECT_0) return nullptr;
    os_->instance = newInstance(os_->name);
  }
  return endOf(std::exchange(os_->instance, newInstance(os_->name)));
}

void PipeListener::stop() { SetEvent(os_->stop.get()); }

PipePair pipePair(bool congested) {
  static std::atomic<int> counter{0};
  const std::wstring name =
      L"\\\\.\\pipe\\wc-test-pair-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
  UniqueFileHandle server = newInstance(name, congested ? 0 : kBufferBytes);
  PipePair pair;
  if (Con::os::openPipe(name, Con::os::kGenericRead | Con::os::kGenericWrite, pair.client) != 0 ||
      Con::os::setPipeMode(pair.client.get(), Con::os::kPipeReadModeMessage) != 0 || !connect(server.get(), nullptr))
    throw std::runtime_error("cannot connect a pipe pair");
  pair.server = endOf(std::move(server));
  return pair;
}

}  // namespace testing_support
