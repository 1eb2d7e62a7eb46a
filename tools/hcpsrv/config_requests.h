#pragma once
// What the management service answers: one request body in, one response
// body out. Configuration strings come from the panel's configuration key;
// whatever cannot be answered gets the protocol's error reply with a text
// that says why.

#include <string>
#include <string_view>

#include "base/system/context.h"

namespace wc {

std::string answerRequest(const Context& context, std::string_view body);

}  // namespace wc
