#include "e2e/tcp_probes.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace wc {

namespace e2e {

namespace {

class Socket {
 public:
  explicit Socket(int fd) : fd_(fd) {}
  ~Socket() {
    if (fd_ >= 0) close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

std::string errnoText(const char* action) { return std::string(action) + ": " + std::strerror(errno); }

}  // namespace

bool portAccepts(int port) {
  Socket socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(static_cast<uint16_t>(port));
  target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return socket.get() >= 0 && connect(socket.get(), reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0;
}

AjpProbe sendAjpCPing(const std::string& address, int port, int timeoutMs) {
  AjpProbe probe;
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(static_cast<uint16_t>(port));
  if (inet_pton(AF_INET, address.c_str(), &target.sin_addr) != 1) {
    probe.problem = "not an IPv4 address: " + address;
    return probe;
  }
  Socket socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (socket.get() < 0) {
    probe.problem = errnoText("socket");
    return probe;
  }
  if (connect(socket.get(), reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
    probe.problem = errnoText(("connect to " + address + ":" + std::to_string(port)).c_str());
    return probe;
  }
  probe.connected = true;
  if (send(socket.get(), kAjpCPing.data(), kAjpCPing.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(kAjpCPing.size())) {
    probe.problem = errnoText("send");
    return probe;
  }
  char buffer[16];
  while (probe.reply.size() < kAjpCPong.size()) {
    pollfd readable{socket.get(), POLLIN, 0};
    int ready = poll(&readable, 1, timeoutMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) {
      probe.problem = "no reply within " + std::to_string(timeoutMs) + " ms";
      return probe;
    }
    ssize_t n = recv(socket.get(), buffer, kAjpCPong.size() - probe.reply.size(), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      probe.problem = errnoText("recv");
      return probe;
    }
    if (n == 0) {
      probe.problem = "the connector closed the connection";
      return probe;
    }
    probe.reply.append(buffer, static_cast<size_t>(n));
  }
  return probe;
}

}  // namespace e2e

}  // namespace wc
