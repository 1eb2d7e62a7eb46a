#pragma once
// The server side of a pipe "\\.\pipe\NAME": a listener that claims the name
// and the connections of its clients, in whole messages. One client at a
// time waits to be accepted (one waiting pipe instance on Windows, a backlog
// of one on POSIX); the next finds the pipe busy until then. On POSIX the
// pipe is the Unix socket of pipe_socket_path.h.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace wc {

namespace Con {

class PipeConnection {
 public:
  // `handle`: the system's connected pipe (a descriptor, or a HANDLE opened
  // for overlapped I/O), owned from now on.
  explicit PipeConnection(intptr_t handle) : handle_(handle) {}
  // Closes the connection: the client reads what was sent, then the end.
  ~PipeConnection();
  PipeConnection(const PipeConnection&) = delete;
  PipeConnection& operator=(const PipeConnection&) = delete;

  // One message of at most `maxBytes`; nothing at the end of the connection,
  // after drop() or for a longer message (the connection is out of step then).
  std::optional<std::string> receive(size_t maxBytes);
  bool send(const void* data, size_t size);
  // Ends the connection at once, from any thread: a receive or send waiting
  // meanwhile fails, and so does every later one.
  void drop();

 private:
  friend class ClientImpersonation;
  intptr_t handle_;
};

// The calling thread acts as the client of `connection` while this lives, as
// a server does to reach files and settings with its caller's rights and no
// more. The client must have sent a message, and the server have received
// it. Throws with the system's error; a server must not serve a request it
// could not take on the client's identity for.
class ClientImpersonation {
 public:
  explicit ClientImpersonation(const PipeConnection& connection);
  ~ClientImpersonation();  // back to the server's own identity
  ClientImpersonation(const ClientImpersonation&) = delete;
  ClientImpersonation& operator=(const ClientImpersonation&) = delete;
};

class PipeListener {
 public:
  // Claims `pipeName`; throws a vexception for a name that is not a plain
  // pipe name, when another server listens on it, or with the system's error.
  explicit PipeListener(const std::wstring& pipeName);
  ~PipeListener();
  PipeListener(const PipeListener&) = delete;
  PipeListener& operator=(const PipeListener&) = delete;

  // The next client; nothing once stop() was called.
  std::unique_ptr<PipeConnection> accept();
  // From any thread, and on POSIX from a signal handler.
  void stop();

 private:
  std::wstring name_;
  intptr_t listener_ = -1;  // the system's, as the stop event
  intptr_t stop_ = -1;
  // POSIX: the socket file this listener made, removed unless another
  // file took its place.
  std::string socketFile_;
  uint64_t socketDevice_ = 0, socketInode_ = 0;
};

}  // namespace Con

}  // namespace wc
