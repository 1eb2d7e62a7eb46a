#pragma once
// Test doubles at the OS boundary of the pipe client: an in-test management
// service that speaks the wire format on the sandbox's pipe socket, a
// connected socket pair.

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/pipes/guid.h"
#include "base/pipes/pipe_io.h"
#include "support/sandbox.h"

namespace testing_support {

class FakeService {
 public:
  struct Request {
    std::string body;
    std::optional<Guid> command;       // when the body starts with a 16-byte blob
    std::optional<std::wstring> name;  // when a string follows it
  };
  // The messages sent back, each one write; `closeAfterwards` drops the client.
  struct Reply {
    std::vector<std::string> messages;
    bool closeAfterwards = false;
  };
  using Handler = std::function<Reply(const Request&)>;

  // Listens on the socket of "\\.\pipe\" + `pipe` under the current sandbox
  // root. Without `accept`, clients wait in the backlog until startAccepting().
  explicit FakeService(Handler handler, const std::wstring& pipe = L"hcppipe", bool accept = true, int backlog = 16);
  ~FakeService();
  FakeService(const FakeService&) = delete;
  FakeService& operator=(const FakeService&) = delete;

  void startAccepting();
  int requests() const;
  int requestsFor(const std::wstring& name) const;

  // Replies in the wire format: the length message, then the body if any.
  static Reply results(const std::string& body);
  static Reply string(const std::wstring& text);
  static Reply ansiString(const std::string& text);
  static Reply error(const std::wstring& text);

 private:
  struct Connection;
  void acceptLoop();
  void serve(Connection& connection);

  Handler handler_;
  std::string path_;
  int listener_ = -1;
  int stop_ = -1;
  std::thread acceptThread_;
  mutable std::mutex lock_;
  std::vector<std::unique_ptr<Connection>> connections_;
  std::vector<Request> requests_;
};

// Little-endian 32-bit value as 4 bytes.
std::string le32(uint32_t value);

// Two connected ends of a SOCK_SEQPACKET socket, non-blocking like a client pipe.
std::pair<Con::os::UniqueHandle, Con::os::UniqueHandle> socketPair();
// Makes the socket's send buffer as small as the system allows.
void shrinkSendBuffer(Con::os::Handle socket);
// Fills the send buffer until a write would block.
void fillSendBuffer(Con::os::Handle socket);

}  // namespace testing_support
