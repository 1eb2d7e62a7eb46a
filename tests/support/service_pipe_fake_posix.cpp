#include "support/service_pipe_fake.h"

#include <sys/socket.h>

#include <stdexcept>

namespace wc {

namespace testing_support {

// Two ends of a SOCK_SEQPACKET socket pair, as pipe_io.h makes a pipe.
PipePair pipePair(bool congested) {
  int fds[2];
  if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds) != 0) throw std::runtime_error("socketpair failed");
  PipePair pair{Con::os::UniqueHandle(fds[0]), std::make_unique<Con::PipeConnection>(fds[1])};
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

}  // namespace wc
