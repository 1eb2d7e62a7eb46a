#pragma once
// One client's exchange with the management service, whatever carries its
// messages: each request is two messages (the 4-byte length, then the body)
// and so is each response (the body only when it is not empty).

#include <cstddef>

class MessageChannel {
 public:
  virtual ~MessageChannel() = default;
  // One whole message of exactly `size` bytes; false at the end of the
  // connection or when the message has another size.
  virtual bool receive(void* buffer, size_t size) = 0;
  virtual bool send(const void* data, size_t size) = 0;
};

// Answers the client's requests until it leaves or falls out of step with
// the protocol (it is dropped then: its pipe breaks and it reconnects).
void serveClient(MessageChannel& channel);
