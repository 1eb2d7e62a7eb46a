#pragma once
// The request/response channel to the panel's management service: one
// request (command identifier and arguments) and one response per query,
// over a pipe whose name the panel's settings give.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "base/pipes/client_overlapped_pipe.h"
#include "base/pipes/guid.h"
#include "base/pipes/vserializer.h"
#include "base/system/context.h"

namespace wc {

class vpipechannel {
 public:
  class client {
   public:
    // `registryKey` (under HKEY_LOCAL_MACHINE) holds the value `pipeValueName`
    // that names the pipe; without it the pipe is named `pipeValueName`.
    client(const Context& context, std::wstring registryKey, std::wstring pipeValueName);
    virtual ~client();
    client(const client&) = delete;
    client& operator=(const client&) = delete;

    // Sends the command and returns the service's response. A communication
    // failure is logged and the query is made once more on a new connection;
    // the second failure, or a failure to reconnect, is thrown.
    vserializer query(const Guid& command, const vserializer& arguments);

    // "\\.\pipe\" + the configured name.
    std::wstring pipeName() const;
    const Context& context() const { return context_; }
    // Connects unless a connected pipe is there already.
    void connect(uint32_t defaultTries);

   private:
    vserializer exchange(const Guid& command, const vserializer& arguments);
    void ensureNotFinished() const;
    void dropOutOfStepPipe() noexcept;

    const Context context_;
    std::unique_ptr<Con::ClientOverlappedPipe> pipe_;
    std::wstring registryKey_;
    std::wstring pipeValueName_;
    // One whole query (request and response) at a time.
    std::mutex lock_;
  };
};

}  // namespace wc
