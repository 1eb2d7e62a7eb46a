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

#include "base/pipes/pipe_io.h"

namespace testing_support {

// One end of a connected pipe, in whole messages; `handle` is the system's.
class PipeEnd {
 public:
  explicit PipeEnd(intptr_t handle) : handle_(handle) {}
  ~PipeEnd() { close(); }
  // One message; nothing once the other end has gone.
  std::optional<std::string> receive();
  bool send(const std::string& message);
  // The other end reads what was sent, then the end.
  void close();

 private:
  intptr_t handle_;
};

// The server of "\\.\pipe\" + `name`. While no accept() runs, one client may
// connect and wait; the next finds the pipe busy.
class PipeListener {
 public:
  explicit PipeListener(const std::wstring& name);
  ~PipeListener();
  // The next client; nothing once stop() was called from another thread.
  std::unique_ptr<PipeEnd> accept();
  void stop();

 private:
  std::wstring name_;
  intptr_t listener_ = -1;  // the system's, as the stop event
  intptr_t stop_ = -1;
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
  // The string argument of a request.
  using Request = std::optional<std::wstring>;
  // Each message is one write; `closeAfterwards` drops the client.
  struct Reply {
    std::vector<std::string> messages;
    bool closeAfterwards = false;
  };
  using Handler = std::function<Reply(const Request&)>;

  // Serves one client at a time until it leaves, which it does before the
  // service goes. Without `accept`, clients wait until startAccepting().
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
  std::vector<Request> requests_;
};

// Little-endian 32-bit value as 4 bytes.
std::string le32(uint32_t value);

}  // namespace testing_support
