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
#include "base/pipes/vserializer.h"
#include "base/text/unicode.h"

namespace testing_support {

struct FakeService::Connection {
  int fd = -1;
  std::thread thread;
};

std::string le32(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
  return bytes;
}

FakeService::Reply FakeService::results(const std::string& body) {
  Reply reply;
  reply.messages.push_back(le32(static_cast<uint32_t>(body.size())));
  if (!body.empty()) reply.messages.push_back(body);
  return reply;
}

namespace {
std::string bytesOf(const vserializer& s) { return std::string(reinterpret_cast<const char*>(s.data()), s.size()); }
}  // namespace

FakeService::Reply FakeService::string(const std::wstring& text) {
  vserializer s;
  s.writeString(text);
  return results(bytesOf(s));
}

FakeService::Reply FakeService::ansiString(const std::string& text) {
  vserializer s;
  s.writeAnsiString(text);
  return results(bytesOf(s));
}

FakeService::Reply FakeService::error(const std::wstring& text) {
  vserializer s;
  s.writeErrorReply(text);
  return results(bytesOf(s));
}

FakeService::FakeService(Handler handler, const std::wstring& pipe, bool accept, int backlog)
    : handler_(std::move(handler)) {
  std::optional<std::wstring> path = socketPathOfPipe(std::wstring(kPipeNamePrefix) + pipe);
  if (!path) throw std::runtime_error("bad pipe name");
  path_ = wideToUtf8Lenient(*path);
  std::filesystem::create_directories(std::filesystem::path(path_).parent_path());
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path_.c_str(), sizeof address.sun_path - 1);
  listener_ = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  stop_ = ::eventfd(0, EFD_CLOEXEC);
  if (listener_ < 0 || stop_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, backlog) != 0)
    throw std::runtime_error("fake service cannot listen: " + std::string(std::strerror(errno)));
  if (accept) startAccepting();
}

FakeService::~FakeService() {
  uint64_t one = 1;
  (void)::write(stop_, &one, sizeof one);
  if (acceptThread_.joinable()) acceptThread_.join();
  {
    std::lock_guard guard(lock_);
    for (auto& c : connections_) ::shutdown(c->fd, SHUT_RDWR);
  }
  for (auto& c : connections_) {
    c->thread.join();
    ::close(c->fd);
  }
  ::close(listener_);
  ::close(stop_);
  ::unlink(path_.c_str());
}

void FakeService::startAccepting() {
  acceptThread_ = std::thread([this] { acceptLoop(); });
}

void FakeService::acceptLoop() {
  for (;;) {
    pollfd fds[2] = {{listener_, POLLIN, 0}, {stop_, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0 && errno != EINTR) return;
    if (fds[1].revents) return;
    if (!(fds[0].revents & POLLIN)) continue;
    int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    std::lock_guard guard(lock_);
    auto connection = std::make_unique<Connection>();
    connection->fd = fd;
    Connection* raw = connection.get();
    connection->thread = std::thread([this, raw] { serve(*raw); });
    connections_.push_back(std::move(connection));
  }
}

namespace {
// One message, or nothing at the end of the connection.
std::optional<std::string> receive(int fd) {
  std::string buffer(1 << 16, '\0');
  ssize_t n;
  do {
    n = ::recv(fd, buffer.data(), buffer.size(), 0);
  } while (n < 0 && errno == EINTR);
  if (n <= 0) return std::nullopt;
  buffer.resize(static_cast<size_t>(n));
  return buffer;
}
}  // namespace

void FakeService::serve(Connection& connection) {
  for (;;) {
    std::optional<std::string> length = receive(connection.fd);
    if (!length) return;
    std::optional<std::string> body = receive(connection.fd);
    if (!body) return;
    Request request;
    request.body = *body;
    try {
      vserializer s = vserializer::view(body->data(), body->size());
      request.command = s.readGuid();
      request.name = s.readString();
    } catch (...) {
    }
    {
      std::lock_guard guard(lock_);
      requests_.push_back(request);
    }
    Reply reply = handler_(request);
    for (const std::string& message : reply.messages) {
      if (::send(connection.fd, message.data(), message.size(), MSG_NOSIGNAL) < 0) return;
    }
    if (reply.closeAfterwards) {
      ::shutdown(connection.fd, SHUT_RDWR);
      return;
    }
  }
}

int FakeService::requests() const {
  std::lock_guard guard(lock_);
  return static_cast<int>(requests_.size());
}

int FakeService::requestsFor(const std::wstring& name) const {
  std::lock_guard guard(lock_);
  int count = 0;
  for (const Request& r : requests_) count += r.name == name ? 1 : 0;
  return count;
}

std::pair<Con::os::UniqueHandle, Con::os::UniqueHandle> socketPair() {
  int fds[2];
  if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) != 0)
    throw std::runtime_error("socketpair failed");
  return {Con::os::UniqueHandle(fds[0]), Con::os::UniqueHandle(fds[1])};
}

void shrinkSendBuffer(Con::os::Handle socket) {
  int size = 1;
  ::setsockopt(static_cast<int>(socket), SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
}

void fillSendBuffer(Con::os::Handle socket) {
  std::string chunk(512, 'x');
  while (::send(static_cast<int>(socket), chunk.data(), chunk.size(), MSG_DONTWAIT | MSG_NOSIGNAL) > 0) {
  }
}

}  // namespace testing_support
