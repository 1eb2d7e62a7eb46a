#include "client_session.h"

#include <cstdint>
#include <mutex>
#include <string>

#include "config_requests.h"

namespace {

// Requests carry a value name; anything larger is not one of ours.
constexpr uint32_t kLargestRequest = 1u << 20;

std::mutex answerLock;  // the settings store is read by one request at a time

}  // namespace

void serveClient(MessageChannel& channel) {
  for (;;) {
    uint8_t lengthBytes[4];
    if (!channel.receive(lengthBytes, sizeof lengthBytes)) return;
    uint32_t length =
        lengthBytes[0] | (lengthBytes[1] << 8) | (lengthBytes[2] << 16) | (static_cast<uint32_t>(lengthBytes[3]) << 24);
    if (length == 0 || length > kLargestRequest) return;
    std::string body(length, '\0');
    if (!channel.receive(body.data(), body.size())) return;
    std::string answer;
    {
      std::lock_guard guard(answerLock);
      answer = answerRequest(body);
    }
    uint32_t size = static_cast<uint32_t>(answer.size());
    const uint8_t sizeBytes[4] = {static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8),
                                  static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 24)};
    if (!channel.send(sizeBytes, sizeof sizeBytes)) return;
    if (size && !channel.send(answer.data(), answer.size())) return;
  }
}
