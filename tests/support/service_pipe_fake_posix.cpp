// On POSIX a pipe is a SOCK_SEQPACKET Unix socket (pipe_io.h) under the
// sandbox root.

#include "support/service_pipe_fake.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "base/pipes/pipe_socket_path.h"
#include "base/text/unicode.h"

namespace testing_support {

std::optional<std::string> PipeEnd::receive() {
  std::string buffer(1 << 16, '\0');
  ssize_t n;
  do {
    n = ::recv(handle_, buffer.data(), buffer.size(), 0);
  } while (n < 0 && errno == EINTR);
  if (n <= 0) return std::nullopt;
  return buffer.substr(0, n);
}

bool PipeEnd::send(const std::string& message) {
  return ::send(handle_, message.data(), message.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(message.size());
}

void PipeEnd::close() {
  if (handle_ >= 0) ::close(handle_);
  handle_ = -1;
}

namespace {
std::string socketPath(const std::wstring& name) {
  return wideToUtf8Lenient(socketPathOfPipe(std::wstring(kPipeNamePrefix) + name).value());
}
}  // namespace

PipeListener::PipeListener(const std::wstring& name)
    : name_(name), listener_(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0)), stop_(::eventfd(0, EFD_CLOEXEC)) {
  const std::string path = socketPath(name);
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  sockaddr_un address{AF_UNIX, {}};
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  // A backlog of 0 lets one client wait.
  if (listener_ < 0 || stop_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, 0) != 0)
    throw std::runtime_error("fake service cannot listen: " + std::string(std::strerror(errno)));
}

PipeListener::~PipeListener() {
  ::unlink(socketPath(name_).c_str());
  ::close(listener_);
  ::close(stop_);
}

std::unique_ptr<PipeEnd> PipeListener::accept() {
  pollfd fds[2] = {{static_cast<int>(listener_), POLLIN, 0}, {static_cast<int>(stop_), POLLIN, 0}};
  while (::poll(fds, 2, -1) < 0 || !(fds[0].revents | fds[1].revents)) {
  }
  if (fds[1].revents) return nullptr;
  return std::make_unique<PipeEnd>(::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC));
}

void PipeListener::stop() {
  uint64_t one = 1;
  (void)::write(stop_, &one, sizeof one);
}

PipePair pipePair(bool congested) {
  int fds[2];
  if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds) != 0) throw std::runtime_error("socketpair failed");
  PipePair pair{Con::os::UniqueHandle(fds[0]), std::make_unique<PipeEnd>(fds[1])};
  Con::os::setPipeMode(fds[0], Con::os::kPipeReadModeMessage);
  if (congested) {
    int size = 1;
    ::setsockopt(fds[0], SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    const std::string chunk(512, 'x');
    while (::send(fds[0], chunk.data(), chunk.size(), MSG_DONTWAIT | MSG_NOSIGNAL) > 0) {
    }
  }
  return pair;
}

}  // namespace testing_support
