#include "support/service_pipe_fake.h"

#include <algorithm>

#include "base/pipes/vserializer.h"

namespace wc {

namespace testing_support {

std::string le32(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
  return bytes;
}

FakeService::Reply FakeService::results(const std::string& body) {
  Reply reply{{le32(static_cast<uint32_t>(body.size()))}};
  if (!body.empty()) reply.messages.push_back(body);
  return reply;
}

namespace {
FakeService::Reply serialized(const std::function<void(vserializer&)>& write) {
  vserializer s;
  write(s);
  return FakeService::results(std::string(reinterpret_cast<const char*>(s.data()), s.size()));
}
}  // namespace

FakeService::Reply FakeService::string(const std::wstring& text) {
  return serialized([&](vserializer& s) { s.writeString(text); });
}

FakeService::Reply FakeService::ansiString(const std::string& text) {
  return serialized([&](vserializer& s) { s.writeAnsiString(text); });
}

FakeService::Reply FakeService::error(const std::wstring& text) {
  return serialized([&](vserializer& s) { s.writeErrorReply(text); });
}

FakeService::FakeService(Handler handler, const std::wstring& pipe, bool accept)
    : handler_(std::move(handler)), listener_(L"\\\\.\\pipe\\" + pipe) {
  if (accept) startAccepting();
}

FakeService::~FakeService() {
  listener_.stop();
  if (acceptThread_.joinable()) acceptThread_.join();
}

// One client at a time, as it comes.
void FakeService::startAccepting() {
  acceptThread_ = std::thread([this] {
    while (std::unique_ptr<Con::PipeConnection> client = listener_.accept()) serve(*client);
  });
}

void FakeService::serve(Con::PipeConnection& client) {
  // A request is two messages: its length, then its body.
  while (client.receive(4)) {
    std::optional<std::string> body = client.receive(1 << 16);
    if (!body) return;
    Request request;
    try {
      vserializer s = vserializer::view(body->data(), body->size());
      s.readGuid();
      request = s.readString();
    } catch (const vexception&) {
    }
    {
      std::lock_guard guard(lock_);
      requests_.push_back(request);
    }
    Reply reply = handler_(request);
    for (const std::string& message : reply.messages) {
      if (!client.send(message.data(), message.size())) return;
    }
    if (reply.closeAfterwards) return;
  }
}

int FakeService::requests() const {
  std::lock_guard guard(lock_);
  return static_cast<int>(requests_.size());
}

int FakeService::requestsFor(const std::wstring& name) const {
  std::lock_guard guard(lock_);
  return static_cast<int>(std::count(requests_.begin(), requests_.end(), Request(name)));
}

}  // namespace testing_support

}  // namespace wc
