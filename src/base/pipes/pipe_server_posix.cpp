// The server side of a pipe on POSIX: a SOCK_SEQPACKET Unix socket under the
// sandbox root, each message one packet.

#include "base/pipes/pipe_server.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "base/errors/os_error.h"
#include "base/errors/strict_convert.h"
#include "base/pipes/pipe_socket_path.h"
#include "base/system/errno_posix.h"
#include "base/system/unique_handle.h"
#include "base/text/convert.h"

namespace wc {

namespace Con {

namespace {

[[noreturn]] void fail(const std::wstring& what, int error) {
  throwOsError(what, windowsErrorFromErrno(error), VCALLPOINT(L"", "Con::PipeListener"));
}

int fdOf(intptr_t handle) { return static_cast<int>(handle); }

// How long accept() waits before it tries a client again that it had no
// descriptor for.
constexpr int kRetryAfterMs = 100;

// True when a server accepts connections on the socket at `address`.
bool someoneListens(const sockaddr_un& address) {
  UniqueFd probe(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!probe) return false;
  int rc = ::connect(probe.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
  // A full backlog (EAGAIN) is a server too.
  return rc == 0 || errno == EAGAIN;
}

UniqueFd bindSocket(const std::wstring& pipeName, const sockaddr_un& address) {
  UniqueFd listener(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
  if (!listener) fail(L"Unable to create the socket of pipe " + pipeName, errno);
  if (::bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return listener;
  if (errno != EADDRINUSE) fail(L"Unable to create the socket of pipe " + pipeName, errno);
  if (someoneListens(address))
    throw vexception(L"Another server already listens on pipe " + pipeName + L" (" + wstrLenient(address.sun_path) +
                     L")");
  // A socket file left behind by a server that died: take its place.
  ::unlink(address.sun_path);
  if (::bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
    fail(L"Unable to create the socket of pipe " + pipeName, errno);
  return listener;
}

}  // namespace

PipeConnection::~PipeConnection() { ::close(fdOf(handle_)); }

std::optional<std::string> PipeConnection::receive(size_t maxBytes) {
  std::string message(maxBytes, '\0');
  iovec part{message.data(), message.size()};
  msghdr header{};
  header.msg_iov = &part;
  header.msg_iovlen = 1;
  ssize_t n;
  do {
    n = ::recvmsg(fdOf(handle_), &header, 0);
  } while (n < 0 && errno == EINTR);
  if (n <= 0 || (header.msg_flags & MSG_TRUNC)) return std::nullopt;
  message.resize(static_cast<size_t>(n));
  return message;
}

bool PipeConnection::send(const void* data, size_t size) {
  ssize_t n;
  do {
    n = ::send(fdOf(handle_), data, size, MSG_NOSIGNAL);
  } while (n < 0 && errno == EINTR);
  return n >= 0 && static_cast<size_t>(n) == size;
}

void PipeConnection::drop() { ::shutdown(fdOf(handle_), SHUT_RDWR); }

// A Unix socket offers no identity to take on (becoming the peer would take
// root's setuid); the stand-in serves its callers with its own rights, which
// are theirs: the panel's programs run as one user here.
ClientImpersonation::ClientImpersonation(const PipeConnection&) {}

ClientImpersonation::~ClientImpersonation() = default;

PipeListener::PipeListener(const std::wstring& pipeName) : name_(pipeName) {
  std::optional<std::wstring> path = socketPathOfPipe(pipeName);
  if (!path) throw vexception(L"Invalid pipe name " + pipeName + L": expected \\\\.\\pipe\\ and a plain name");
  const std::string narrowPath = cstr(*path);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (narrowPath.size() >= sizeof address.sun_path)
    throw vexception(L"The socket path of pipe " + pipeName + L" is too long: " + *path);
  std::memcpy(address.sun_path, narrowPath.c_str(), narrowPath.size() + 1);
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(narrowPath).parent_path(), ec);
  if (ec) fail(L"Unable to create the directory of pipe " + pipeName, ec.value());

  UniqueFd listener = bindSocket(pipeName, address);
  socketFile_ = narrowPath;
  struct stat info {};
  if (::stat(narrowPath.c_str(), &info) == 0) {
    socketDevice_ = info.st_dev;
    socketInode_ = info.st_ino;
  }
  UniqueFd stop(::eventfd(0, EFD_CLOEXEC));
  if (!stop) fail(L"Unable to create the stop event of pipe " + pipeName, errno);
  // A backlog of 0 lets one client wait.
  if (::listen(listener.get(), 0) != 0) fail(L"Unable to listen on pipe " + pipeName, errno);
  listener_ = listener.release();
  stop_ = stop.release();
}

PipeListener::~PipeListener() {
  struct stat info {};
  if (::stat(socketFile_.c_str(), &info) == 0 && info.st_dev == socketDevice_ && info.st_ino == socketInode_)
    ::unlink(socketFile_.c_str());
  ::close(fdOf(listener_));
  ::close(fdOf(stop_));
}

std::unique_ptr<PipeConnection> PipeListener::accept() {
  for (;;) {
    pollfd fds[2] = {{fdOf(listener_), POLLIN, 0}, {fdOf(stop_), POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      fail(L"Unable to wait for clients of pipe " + name_, errno);
    }
    if (fds[1].revents) return nullptr;
    if (!(fds[0].revents & POLLIN)) continue;
    int client = ::accept4(fdOf(listener_), nullptr, nullptr, SOCK_CLOEXEC);
    if (client >= 0) return std::make_unique<PipeConnection>(client);
    // Out of descriptors or memory, the client stays queued and the socket
    // readable: wait for a connection to end instead of spinning on it.
    if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
      pollfd stopOnly{fdOf(stop_), POLLIN, 0};
      if (::poll(&stopOnly, 1, kRetryAfterMs) > 0) return nullptr;
    }
  }
}

void PipeListener::stop() {
  const uint64_t one = 1;
  (void)::write(fdOf(stop_), &one, sizeof one);
}

}  // namespace Con

}  // namespace wc
