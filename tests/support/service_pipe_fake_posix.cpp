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

struct PipeEnd::Os {
  UniqueFd fd;
};

PipeEnd::PipeEnd(std::unique_ptr<Os> os) : os_(std::move(os)) {}
PipeEnd::~PipeEnd() = default;

std::optional<std::string> PipeEnd::receive() {
  std::string buffer(1 << 16, '\0');
  ssize_t n;
  do {
    n = ::recv(os_->fd.get(), buffer.data(), buffer.size(), 0);
  } while (n < 0 && errno == EINTR);
  if (n <= 0) return std::nullopt;
  buffer.resize(static_cast<size_t>(n));
  return buffer;
}

bool PipeEnd::send(const std::string& message) {
  return ::send(os_->fd.get(), message.data(), message.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(message.size());
}

void PipeEnd::close() { ::shutdown(os_->fd.get(), SHUT_RDWR); }

namespace {
std::unique_ptr<PipeEnd> endOf(int fd) {
  if (fd < 0) throw std::runtime_error("pipe end: " + std::string(std::strerror(errno)));
  return std::make_unique<PipeEnd>(std::make_unique<PipeEnd::Os>(PipeEnd::Os{UniqueFd(fd)}));
}
}  // namespace

struct PipeListener::Os {
  std::string path;
  UniqueFd listener{::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0)};
  UniqueFd stop{::eventfd(0, EFD_CLOEXEC)};
};

PipeListener::PipeListener(const std::wstring& name, bool queue) : os_(std::make_unique<Os>()) {
  os_->path = wideToUtf8Lenient(socketPathOfPipe(std::wstring(kPipeNamePrefix) + name).value());
  std::filesystem::create_directories(std::filesystem::path(os_->path).parent_path());
  sockaddr_un address{AF_UNIX, {}};
  std::strncpy(address.sun_path, os_->path.c_str(), sizeof address.sun_path - 1);
  // A backlog of 0 lets one client wait.
  if (!os_->listener || !os_->stop ||
      ::bind(os_->listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(os_->listener.get(), queue ? 16 : 0) != 0)
    throw std::runtime_error("fake service cannot listen: " + std::string(std::strerror(errno)));
}

PipeListener::~PipeListener() { ::unlink(os_->path.c_str()); }

std::unique_ptr<PipeEnd> PipeListener::accept() {
  pollfd fds[2] = {{os_->listener.get(), POLLIN, 0}, {os_->stop.get(), POLLIN, 0}};
  while (::poll(fds, 2, -1) < 0 || !fds[0].revents) {
    if (fds[1].revents) return nullptr;
  }
  return fds[1].revents ? nullptr : endOf(::accept4(os_->listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
}

void PipeListener::stop() {
  uint64_t one = 1;
  (void)::write(os_->stop.get(), &one, sizeof one);
}

PipePair pipePair(bool congested) {
  int fds[2];
  if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds) != 0) throw std::runtime_error("socketpair failed");
  PipePair pair{Con::os::UniqueHandle(fds[0]), endOf(fds[1])};
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
