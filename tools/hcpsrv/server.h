#pragma once
// The listening side of the management service's pipe.

#include <string>

#include "base/system/context.h"

namespace wc {

// Serves `pipeName` ("\\.\pipe\NAME") until a stop request (stop_request.h),
// one thread per client. Throws a vexception when the pipe cannot be served
// (among others: another server already listens on it).
void servePipe(const Context& context, const std::wstring& pipeName);

}  // namespace wc
