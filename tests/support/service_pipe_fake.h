#pragma once
// Test doubles at the OS boundary of the pipe client: a connected pipe whose
// server end the test drives, and an in-test management service that speaks
// the wire format on the product's pipe server.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/pipes/pipe_io.h"
#include "base/pipes/pipe_server.h"

namespace wc {

namespace testing_support {

// A client end as the product opens one and its server end. When
// `congested`, a client write waits until the server reads.
struct PipePair {
  Con::os::UniqueHandle client;
  std::unique_ptr<Con::PipeConnection> server;
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

  // Serves "\\.\pipe\" + `pipe`, one client at a time until it leaves,
  // which it does before the service goes. Without `accept`, clients wait
  // until startAccepting().
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
  void serve(Con::PipeConnection& client);

  Handler handler_;
  Con::PipeListener listener_;
  std::thread acceptThread_;
  mutable std::mutex lock_;
  std::vector<Request> requests_;
};

// Little-endian 32-bit value as 4 bytes.
std::string le32(uint32_t value);

}  // namespace testing_support

}  // namespace wc
