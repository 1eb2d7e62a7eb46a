#include "base/pipes/vpipechannel.h"

#include "base/log/log.h"
#include "base/pipes/pipe_socket_path.h"
#include "base/registry/registry.h"
#include "base/text/vaformat.h"

namespace wc {

namespace {

constexpr uint32_t kConnectTries = 5;
// Far above any request or answer; a larger length means a corrupt stream.
constexpr uint32_t kLargestMessage = 64u << 20;

void writeLength(Con::Pipe& pipe, uint32_t length) {
  vserializer bytes;
  bytes.writeUInt32(length);
  pipe.write(bytes.data(), 4, true);
}

}  // namespace

vpipechannel::client::client(const Context& context, std::wstring registryKey, std::wstring pipeValueName)
    : context_(context), registryKey_(std::move(registryKey)), pipeValueName_(std::move(pipeValueName)) {}

vpipechannel::client::~client() = default;

std::wstring vpipechannel::client::pipeName() const {
  std::wstring name;
  if (registry::lookupString(context_, registry::Root::LocalMachine, registryKey_, pipeValueName_, name,
                             registry::REG_SZ, registry::kView32) != 0)
    name = pipeValueName_;
  return std::wstring(kPipeNamePrefix) + name;
}

void vpipechannel::client::connect(uint32_t defaultTries) {
  if (pipe_ && pipe_->valid()) return;
  std::wstring name = pipeName();
  Con::os::UniqueHandle handle = Con::ClientOverlappedPipe::create(
      context_, name, Con::os::kGenericRead | Con::os::kGenericWrite, Con::os::kPipeReadModeMessage, defaultTries);
  pipe_ = std::make_unique<Con::ClientOverlappedPipe>(std::move(handle));
}

void vpipechannel::client::ensureNotFinished() const {
  if (!pipe_->finished()) return;
  logMessage(LOG_WARNING, L"Connection to Halvo Management Service is broken: Pipe is finished");
  throw vexception(L"Pipe is finished", VCALLPOINT(L"", "vpipechannel::client::query"));
}

vserializer vpipechannel::client::exchange(const Guid& command, const vserializer& arguments) {
  connect(kConnectTries);
  ensureNotFinished();

  vserializer body;
  body.writeGuid(command);
  body.writeBytes(arguments.data(), arguments.size());
  if (body.size() > kLargestMessage)
    throw vexception(L"Request is too large for Halvo Management Service",
                     VCALLPOINT(L"", "vpipechannel::client::query"));
  writeLength(*pipe_, static_cast<uint32_t>(body.size()));
  ensureNotFinished();
  pipe_->write(body.data(), static_cast<uint32_t>(body.size()), true);
  ensureNotFinished();

  uint8_t lengthBytes[4];
  pipe_->read(lengthBytes, sizeof lengthBytes, true);
  ensureNotFinished();
  uint32_t length = vserializer(lengthBytes, sizeof lengthBytes).readUInt32();
  vserializer response;
  if (length == 0) return response;
  if (length > kLargestMessage)
    throw vserializer::invalidprotocol(
        vaformat(L"Unexpected response length %u from Halvo Management Service", length));
  pipe_->read(response.appendSpace(length), length, true);
  ensureNotFinished();
  return response;
}

void vpipechannel::client::dropOutOfStepPipe() noexcept {
  // Part of a response may still be waiting on the pipe: the next query
  // starts on a new connection instead of reading it as its own answer.
  pipe_.reset();
}

vserializer vpipechannel::client::query(const Guid& command, const vserializer& arguments) {
  std::lock_guard guard(lock_);
  for (int attempt = 1;; ++attempt) {
    try {
      return exchange(command, arguments);
    } catch (const vexception& e) {
      if (attempt >= 2) {
        dropOutOfStepPipe();
        throw;
      }
      logMessage(LOG_INFO, L"Halvo Management service pipe communication error: %s. Trying to reconnect.",
                 e.fullText());
    } catch (...) {
      if (attempt >= 2) {
        dropOutOfStepPipe();
        throw;
      }
      logMessage(LOG_INFO, L"Halvo Management service pipe unknown communication error. Trying to reconnect.");
    }
    pipe_.reset();
    connect(kConnectTries);
  }
}

}  // namespace wc
