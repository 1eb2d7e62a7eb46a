#include "client_session.h"

#include <cstdint>
#include <mutex>
#include <string>

#include "config_requests.h"

namespace wc {

namespace {

// Requests carry a value name; anything larger is not one of ours.
constexpr uint32_t kLargestRequest = 1u << 20;

std::mutex answerLock;  // the settings store is read by one request at a time

}  // namespace

void serveClient(const Context& context, Con::PipeConnection& client) {
  for (;;) {
    std::optional<std::string> lengthBytes = client.receive(4);
    if (!lengthBytes || lengthBytes->size() != 4) return;
    uint32_t length = 0;
    for (int i = 3; i >= 0; --i) length = (length << 8) | static_cast<uint8_t>((*lengthBytes)[i]);
    if (length == 0 || length > kLargestRequest) return;
    std::optional<std::string> body = client.receive(length);
    if (!body || body->size() != length) return;
    std::string answer;
    {
      std::lock_guard guard(answerLock);
      answer = answerRequest(context, *body);
    }
    const uint32_t size = static_cast<uint32_t>(answer.size());
    const uint8_t sizeBytes[4] = {static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8),
                                  static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 24)};
    if (!client.send(sizeBytes, sizeof sizeBytes)) return;
    if (size && !client.send(answer.data(), answer.size())) return;
  }
}

}  // namespace wc
