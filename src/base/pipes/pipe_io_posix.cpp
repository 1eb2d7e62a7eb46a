// Pipes on POSIX: SOCK_SEQPACKET Unix sockets under the sandbox root, used
// non-blocking and waited for with poll(). Events are eventfds.

#include "base/pipes/pipe_io.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>

#include "base/errors/win_error_codes.h"
#include "base/pipes/pipe_socket_path.h"
#include "base/system/errno_posix.h"
#include "base/text/unicode.h"

namespace wc {

namespace Con::os {

void HandleTraits::close(intptr_t handle) { ::close(static_cast<int>(handle)); }

namespace {

int fdOf(Handle handle) { return static_cast<int>(handle); }

// The socket address of a pipe, or the error code for a name we cannot serve.
uint32_t socketAddress(const std::wstring& pipeName, sockaddr_un& address) {
  std::optional<std::wstring> path = socketPathOfPipe(pipeName);
  if (!path) return ERROR_INVALID_NAME;
  std::optional<std::string> narrow = wideToUtf8(*path);
  if (!narrow) return ERROR_INVALID_NAME;
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (narrow->size() >= sizeof address.sun_path) return ERROR_FILENAME_EXCED_RANGE;
  std::memcpy(address.sun_path, narrow->c_str(), narrow->size() + 1);
  return ERROR_SUCCESS;
}

uint32_t connectError(int error) {
  switch (error) {
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    // No listener behind the socket file, or its backlog is full: the server
    // cannot take a client now, as with a pipe whose instances are all busy.
    case ECONNREFUSED:
    case EAGAIN:
      return ERROR_PIPE_BUSY;
    default:
      return windowsErrorFromErrno(error);
  }
}

// Milliseconds left until `deadline`, for poll(); -1 waits without limit.
int pollTimeout(bool infinite, std::chrono::steady_clock::time_point deadline) {
  if (infinite) return -1;
  auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
  if (left <= 0) return 0;
  return left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

// The connection a successful wait made, kept for the thread's next openPipe
// of the same pipe: closing it would hand the freed slot to the next client
// in line, and a server with a short backlog would never get to ours.
struct ReservedConnection {
  std::wstring pipeName;
  UniqueHandle handle;
};
thread_local ReservedConnection reserved;

}  // namespace

uint32_t openPipe(const std::wstring& pipeName, uint32_t /*access*/, UniqueHandle& out) {
  if (reserved.handle && reserved.pipeName == pipeName) {
    out = std::move(reserved.handle);
    return ERROR_SUCCESS;
  }
  reserved.handle.reset();
  sockaddr_un address;
  if (uint32_t code = socketAddress(pipeName, address)) return code;
  UniqueHandle socket(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!socket) return lastWindowsError();
  int rc;
  do {
    rc = ::connect(fdOf(socket.get()), reinterpret_cast<const sockaddr*>(&address), sizeof address);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) return connectError(errno);
  out = std::move(socket);
  return ERROR_SUCCESS;
}

bool waitNamedPipe(const std::wstring& pipeName, uint32_t timeoutMs) {
  sockaddr_un address;
  if (socketAddress(pipeName, address) != ERROR_SUCCESS) return false;
  struct stat info {};
  if (::stat(address.sun_path, &info) != 0 || !S_ISSOCK(info.st_mode)) return false;
  // A blocking connect waits while the server's backlog is full, for at most
  // the send time-out. Its connection is what the next openPipe gets.
  reserved.handle.reset();
  UniqueHandle probe(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
  if (!probe) return false;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int left = pollTimeout(false, deadline);
    if (left == 0) return false;
    timeval limit{left / 1000, (left % 1000) * 1000};
    if (::setsockopt(fdOf(probe.get()), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit) != 0) return false;
    if (::connect(fdOf(probe.get()), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
      reserved.pipeName = pipeName;
      reserved.handle = std::move(probe);
      return true;
    }
    if (errno != EINTR) return false;
  }
}

uint32_t setPipeMode(Handle pipe, uint32_t mode) {
  // Sequenced packets keep message boundaries: message read mode is the only
  // mode there is. What is left to set is the non-blocking I/O.
  if (mode != kPipeReadModeMessage) return ERROR_INVALID_PARAMETER;
  int type = 0;
  socklen_t length = sizeof type;
  if (::getsockopt(fdOf(pipe), SOL_SOCKET, SO_TYPE, &type, &length) != 0) return lastWindowsError();
  if (type != SOCK_SEQPACKET) return ERROR_INVALID_PARAMETER;
  int flags = ::fcntl(fdOf(pipe), F_GETFL);
  if (flags < 0 || ::fcntl(fdOf(pipe), F_SETFL, flags | O_NONBLOCK) != 0) return lastWindowsError();
  return ERROR_SUCCESS;
}

uint32_t createEvent(bool signalled, UniqueHandle& out) {
  int fd = ::eventfd(signalled ? 1 : 0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (fd < 0) return lastWindowsError();
  out.reset(fd);
  return ERROR_SUCCESS;
}

uint32_t setEvent(Handle event) {
  uint64_t one = 1;
  // A counter that is already at its limit is signalled anyway.
  if (::write(fdOf(event), &one, sizeof one) < 0 && errno != EAGAIN) return lastWindowsError();
  return ERROR_SUCCESS;
}

uint32_t resetEvent(Handle event) {
  uint64_t value = 0;
  if (::read(fdOf(event), &value, sizeof value) < 0 && errno != EAGAIN) return lastWindowsError();
  return ERROR_SUCCESS;
}

uint32_t duplicateHandle(Handle handle, UniqueHandle& out) {
  int fd = ::fcntl(fdOf(handle), F_DUPFD_CLOEXEC, 0);
  if (fd < 0) return lastWindowsError();
  out.reset(fd);
  return ERROR_SUCCESS;
}

IoResult readNow(Handle pipe, void* buffer, uint32_t count) {
  if (count == 0) return {};
  iovec part{buffer, count};
  msghdr message{};
  message.msg_iov = &part;
  message.msg_iovlen = 1;
  ssize_t n;
  do {
    n = ::recvmsg(fdOf(pipe), &message, MSG_DONTWAIT);
  } while (n < 0 && errno == EINTR);
  if (n < 0) {
    if (errno == EAGAIN || errno == EWOULDBLOCK) return {ERROR_IO_PENDING, 0};
    if (errno == ECONNRESET || errno == EPIPE) return {ERROR_BROKEN_PIPE, 0};
    return {lastWindowsError(), 0};
  }
  if (n == 0) return {ERROR_BROKEN_PIPE, 0};
  // The rest of a longer message is gone: the exchange is out of step.
  if (message.msg_flags & MSG_TRUNC) return {ERROR_MORE_DATA, static_cast<uint32_t>(n)};
  return {ERROR_SUCCESS, static_cast<uint32_t>(n)};
}

IoResult writeNow(Handle pipe, const void* buffer, uint32_t count) {
  ssize_t n;
  do {
    n = ::send(fdOf(pipe), buffer, count, MSG_DONTWAIT | MSG_NOSIGNAL);
  } while (n < 0 && errno == EINTR);
  if (n < 0) {
    if (errno == EAGAIN || errno == EWOULDBLOCK) return {ERROR_IO_PENDING, 0};
    if (errno == EPIPE || errno == ECONNRESET || errno == ENOTCONN) return {ERROR_NO_DATA, 0};
    if (errno == EMSGSIZE) return {ERROR_INVALID_PARAMETER, 0};
    return {lastWindowsError(), 0};
  }
  return {ERROR_SUCCESS, static_cast<uint32_t>(n)};
}

uint32_t waitForTransfer(Handle pipe, bool forWrite, Handle extra, uint32_t timeoutMs, uint32_t& error) {
  pollfd fds[2] = {{fdOf(pipe), static_cast<short>(forWrite ? POLLOUT : POLLIN), 0}, {fdOf(extra), POLLIN, 0}};
  nfds_t count = extra == HandleTraits::invalid() ? 1 : 2;
  bool infinite = timeoutMs == INFINITE_WAIT;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(infinite ? 0 : timeoutMs);
  for (;;) {
    int rc = ::poll(fds, count, pollTimeout(infinite, deadline));
    if (rc < 0 && errno == EINTR) continue;
    if (rc < 0) {
      error = lastWindowsError();
      return WAIT_FAILED;
    }
    if (rc == 0) return WAIT_TIMEOUT;
    for (nfds_t i = 0; i < count; ++i) {
      if (fds[i].revents & POLLNVAL) {
        error = ERROR_INVALID_HANDLE;
        return WAIT_FAILED;
      }
    }
    // Hang-up and errors count as ready: the transfer then reports them.
    if (fds[0].revents) return WAIT_OBJECT_0;
    if (count == 2 && fds[1].revents) return WAIT_OBJECT_0 + 1;
  }
}

}  // namespace Con::os

}  // namespace wc
