#pragma once
// One client's exchange with the management service: each request is two
// messages (the 4-byte length, then the body) and so is each response (the
// body only when it is not empty).

#include "base/pipes/pipe_server.h"
#include "base/system/context.h"

namespace wc {

// Answers the client's requests until it leaves or falls out of step with
// the protocol (it is dropped then: its pipe breaks and it reconnects).
void serveClient(const Context& context, Con::PipeConnection& client);

}  // namespace wc
