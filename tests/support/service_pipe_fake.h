#pragma once
// Test doubles at the OS boundary of the pipe client: the server end of a
// pipe, a listener on a pipe name, a connected pair, and an in-test
// management service that speaks the wire format.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/pipes/guid.h"
#include "base/pipes/pipe_io.h"

namespace testing_support {

// One end of a connected pipe, in whole messages.
class PipeEnd {
 public:
  struct Os;
  explicit PipeEnd(std::unique_ptr<Os> os);
  ~PipeEnd();
  // One message; nothing once the other end has gone or after close().
  std::optional<std::string> receive();
  bool send(const std::string& message);
  // The other end reads what was sent, then the end.
  void close();

 private:
  std::unique_ptr<Os> os_;
};

// The server of "\\.\pipe\" + `name`. While no accept() runs, one client may
// connect and wait; the next finds the pipe busy unless `queue` (POSIX only).
class PipeListener {
 public:
  explicit PipeListener(const std::wstring& name, bool queue = true);
  ~PipeListener();
  // The next client; nothing once stop() was called from another thread.
  std::unique_ptr<PipeEnd> accept();
  void stop();

 private:
  struct Os;
  std::unique_ptr<Os> os_;
};

// A client end as the product opens one and its server end. When
// `congested`, a client write waits until the server reads.
struct PipePair {
  Con::os::UniqueHandle client;
  std::unique_ptr<PipeEnd> server;
};
PipePair pipePair(bool congested = false);

class FakeService {
 public:
  struct Request {
    std::optional<Guid> command;
    std::optional<std::wstring> name;  // the string argument
  };
  // Each message is one write; `closeAfterwards` drops the client.
  struct Reply {
    std::vector<std::string> messages;
    bool closeAfterwards = false;
  };
  using Handler = std::function<Reply(const Request&)>;

  // Without `accept`, clients wait until startAccepting(). Clients leave
  // before the service goes.
  explicit FakeService(Handler handler, const std::wstring& pipe = L"hcppipe", bool accept = true);
  ~FakeService();
  void startAccepting();
  int requests() const;
  int requestsFor(const std::wstring& name) const;

  // Replies in the wire format: the length, then the body if any.
  static Reply results(const std::string& body);
  static Reply string(const std::wstring& text);
  static Reply ansiString(const std::string& text);
  static Reply error(const std::wstring& text);

 private:
  void serve(PipeEnd& client);

  Handler handler_;
  PipeListener listener_;
  std::thread acceptThread_;
  mutable std::mutex lock_;
  std::vector<std::unique_ptr<PipeEnd>> clients_;
  std::vector<std::thread> threads_;
  std::vector<Request> requests_;
};

// Little-endian 32-bit value as 4 bytes.
std::string le32(uint32_t value);

}  // namespace testing_support
