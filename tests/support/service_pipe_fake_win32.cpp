// On Windows a far end is the server end of a named pipe in message mode. Its
// transfers are overlapped, so that close() from another thread cuts a wait
// short; the handle closes once no transfer uses it, which lets the client
// read what was sent before it finds the pipe broken.

#include "support/service_pipe_fake.h"

#include <atomic>
#include <stdexcept>

#include "base/system/unique_handle_win32.h"

namespace testing_support {

namespace {

constexpr DWORD kBufferBytes = 64 * 1024;

UniqueKernelHandle newEvent() { return UniqueKernelHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr)); }

// Waits for the operation of `overlapped` or for `stop`, which cancels it.
bool finish(HANDLE pipe, OVERLAPPED& overlapped, HANDLE stop, DWORD& moved) {
  HANDLE handles[2] = {overlapped.hEvent, stop};
  if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0) CancelIoEx(pipe, &overlapped);
  return GetOverlappedResult(pipe, &overlapped, &moved, TRUE);
}

// A new instance of the pipe `name`; `inBuffer` 0 makes a client's write wait
// until the server reads it.
UniqueFileHandle newInstance(const std::wstring& name, DWORD inBuffer = kBufferBytes) {
  UniqueFileHandle pipe(CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                         PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                         PIPE_UNLIMITED_INSTANCES, kBufferBytes, inBuffer, 0, nullptr));
  if (!pipe) throw std::runtime_error("cannot create pipe (error " + std::to_string(GetLastError()) + ")");
  return pipe;
}

// Connects the instance's client, or nothing when `stop` came first.
bool connect(HANDLE pipe, HANDLE stop) {
  UniqueKernelHandle event = newEvent();
  OVERLAPPED overlapped{};
  overlapped.hEvent = event.get();
  DWORD unused = 0;
  if (ConnectNamedPipe(pipe, &overlapped)) return true;
  const DWORD error = GetLastError();
  return error == ERROR_PIPE_CONNECTED || (error == ERROR_IO_PENDING && finish(pipe, overlapped, stop, unused));
}

}  // namespace

struct PipeEnd::Os {
  UniqueFileHandle pipe;
  UniqueKernelHandle stop = newEvent();
  std::mutex lock;
  bool busy = false;
};

PipeEnd::PipeEnd(std::unique_ptr<Os> os) : os_(std::move(os)) {}
PipeEnd::~PipeEnd() = default;

namespace {
// One transfer on the end, unless it is closed; the last user closes it.
template <class Issue>
bool transfer(PipeEnd::Os& os, DWORD& moved, Issue issue) {
  {
    std::lock_guard guard(os.lock);
    if (!os.pipe || WaitForSingleObject(os.stop.get(), 0) == WAIT_OBJECT_0) return false;
    os.busy = true;
  }
  UniqueKernelHandle event = newEvent();
  OVERLAPPED overlapped{};
  overlapped.hEvent = event.get();
  bool done = issue(os.pipe.get(), &overlapped) || GetLastError() == ERROR_IO_PENDING;
  done = done && finish(os.pipe.get(), overlapped, os.stop.get(), moved);
  std::lock_guard guard(os.lock);
  os.busy = false;
  if (WaitForSingleObject(os.stop.get(), 0) == WAIT_OBJECT_0) os.pipe.reset();
  return done;
}
}  // namespace

std::optional<std::string> PipeEnd::receive() {
  std::string buffer(kBufferBytes, '\0');
  DWORD moved = 0;
  if (!transfer(*os_, moved, [&](HANDLE pipe, OVERLAPPED* overlapped) {
        return ReadFile(pipe, buffer.data(), kBufferBytes, nullptr, overlapped);
      }))
    return std::nullopt;
  buffer.resize(moved);
  return buffer;
}

bool PipeEnd::send(const std::string& message) {
  DWORD moved = 0;
  return transfer(*os_, moved,
                  [&](HANDLE pipe, OVERLAPPED* overlapped) {
                    return WriteFile(pipe, message.data(), static_cast<DWORD>(message.size()), nullptr, overlapped);
                  }) &&
         moved == message.size();
}

void PipeEnd::close() {
  std::lock_guard guard(os_->lock);
  SetEvent(os_->stop.get());
  if (!os_->busy) os_->pipe.reset();
}

namespace {
std::unique_ptr<PipeEnd> endOf(UniqueFileHandle pipe) {
  auto os = std::make_unique<PipeEnd::Os>();
  os->pipe = std::move(pipe);
  return std::make_unique<PipeEnd>(std::move(os));
}
}  // namespace

// One instance waits for a client at a time: the next client finds the pipe
// busy until accept() has taken the waiting one.
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
  while (!connect(os_->instance.get(), os_->stop.get())) {
    if (WaitForSingleObject(os_->stop.get(), 0) == WAIT_OBJECT_0) return nullptr;
    // The client left before it was taken.
    os_->instance = newInstance(os_->name);
  }
  std::unique_ptr<PipeEnd> client = endOf(std::move(os_->instance));
  os_->instance = newInstance(os_->name);
  return client;
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
