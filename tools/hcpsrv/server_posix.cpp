// The management service's pipe on POSIX: a SOCK_SEQPACKET Unix socket under
// the sandbox root. Each request is two messages (the 4-byte length, then the
// body) and so is each response (the body only when it is not empty).

#include "server.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "base/errors/os_error.h"
#include "base/errors/strict_convert.h"
#include "base/pipes/pipe_socket_path.h"
#include "base/system/errno_posix.h"
#include "base/system/unique_handle.h"
#include "base/text/convert.h"
#include "client_session.h"
#include "client_threads.h"

namespace {

[[noreturn]] void fail(const std::wstring& what, int error) {
  throwOsError(what, windowsErrorFromErrno(error), VCALLPOINT(L"", "servePipe"));
}

// The messages of one connected socket.
class SocketChannel : public MessageChannel {
 public:
  explicit SocketChannel(int fd) : fd_(fd) {}

  bool receive(void* buffer, size_t size) override {
    iovec part{buffer, size};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    ssize_t n;
    do {
      n = ::recvmsg(fd_, &message, 0);
    } while (n < 0 && errno == EINTR);
    return n > 0 && static_cast<size_t>(n) == size && !(message.msg_flags & MSG_TRUNC);
  }

  bool send(const void* data, size_t size) override {
    ssize_t n;
    do {
      n = ::send(fd_, data, size, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return n >= 0 && static_cast<size_t>(n) == size;
  }

 private:
  int fd_;
};

// True when a server accepts connections on the socket at `address`.
bool someoneListens(const sockaddr_un& address) {
  UniqueFd probe(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!probe) return false;
  int rc = ::connect(probe.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
  // A full backlog (EAGAIN) is a server too.
  return rc == 0 || errno == EAGAIN;
}

// The socket file as created by this process, removed again on the way out
// unless another file has taken its place meanwhile.
class OwnedSocketFile {
 public:
  explicit OwnedSocketFile(std::string path) : path_(std::move(path)) {
    struct stat info {};
    if (::stat(path_.c_str(), &info) == 0) {
      device_ = info.st_dev;
      inode_ = info.st_ino;
    }
  }
  ~OwnedSocketFile() {
    struct stat info {};
    if (::stat(path_.c_str(), &info) == 0 && info.st_dev == device_ && info.st_ino == inode_) ::unlink(path_.c_str());
  }
  OwnedSocketFile(const OwnedSocketFile&) = delete;
  OwnedSocketFile& operator=(const OwnedSocketFile&) = delete;

 private:
  std::string path_;
  dev_t device_ = 0;
  ino_t inode_ = 0;
};

UniqueFd bindSocket(const std::wstring& pipeName, const sockaddr_un& address) {
  UniqueFd listener(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
  if (!listener) fail(L"Unable to create the socket of pipe " + pipeName, errno);
  if (::bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return listener;
  if (errno != EADDRINUSE) fail(L"Unable to create the socket of pipe " + pipeName, errno);
  if (someoneListens(address))
    throw vexception(L"Another management service already listens on pipe " + pipeName + L" (" +
                     wstrLenient(address.sun_path) + L")");
  // A socket file left behind by a server that died: take its place.
  ::unlink(address.sun_path);
  if (::bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
    fail(L"Unable to create the socket of pipe " + pipeName, errno);
  return listener;
}

// SIGTERM and SIGINT arrive as readable data instead of interrupting threads.
UniqueFd stopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  if (pthread_sigmask(SIG_BLOCK, &signals, nullptr) != 0) fail(L"Unable to block the stop signals", errno);
  // Replies go with MSG_NOSIGNAL; this covers a closed stdout as well.
  ::signal(SIGPIPE, SIG_IGN);
  UniqueFd fd(::signalfd(-1, &signals, SFD_CLOEXEC));
  if (!fd) fail(L"Unable to receive the stop signals", errno);
  return fd;
}

}  // namespace

void servePipe(const std::wstring& pipeName) {
  std::optional<std::wstring> path = socketPathOfPipe(pipeName);
  if (!path) throw vexception(L"Invalid pipe name " + pipeName + L": expected \\\\.\\pipe\\ and a plain name");
  std::string narrowPath = cstr(*path);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (narrowPath.size() >= sizeof address.sun_path)
    throw vexception(L"The socket path of pipe " + pipeName + L" is too long: " + *path);
  std::memcpy(address.sun_path, narrowPath.c_str(), narrowPath.size() + 1);

  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(narrowPath).parent_path(), ec);
  if (ec) fail(L"Unable to create the directory of pipe " + pipeName, ec.value());

  UniqueFd signals = stopSignals();  // before any thread starts, so all inherit the mask
  UniqueFd listener = bindSocket(pipeName, address);
  OwnedSocketFile socketFile(narrowPath);
  if (::listen(listener.get(), SOMAXCONN) != 0) fail(L"Unable to listen on pipe " + pipeName, errno);
  std::printf("hcpsrv: serving %s at %s\n", cstrLenient(pipeName).c_str(), narrowPath.c_str());
  std::fflush(stdout);

  // Shutting a socket down wakes its thread out of its read.
  ClientThreads<UniqueFd> clients([](UniqueFd& fd) { ::shutdown(fd.get(), SHUT_RDWR); });
  for (;;) {
    pollfd fds[2] = {{listener.get(), POLLIN, 0}, {signals.get(), POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      fail(L"Unable to wait for clients of pipe " + pipeName, errno);
    }
    if (fds[1].revents) break;
    if (fds[0].revents & POLLIN) {
      UniqueFd client(::accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
      if (client) {
        clients.start(std::move(client), [](UniqueFd& fd) {
          SocketChannel channel(fd.get());
          serveClient(channel);
          // The client learns at once that it was dropped, not when the
          // thread is joined.
          ::shutdown(fd.get(), SHUT_RDWR);
        });
      }
    }
  }
  std::printf("hcpsrv: stopped\n");
  std::fflush(stdout);
}
