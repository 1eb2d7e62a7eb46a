#pragma once
// Checks of the names that go into the redirector's property files, and the
// forms in which they are written there.

#include <string>
#include <string_view>

namespace wc {

// The kinds of names, each checked by its rule of names/name_rules.h (an
// alias as a name of a host's alias list, "www." twins included). The rules
// keep out what the files cannot hold: '=' and '#' would split the line
// differently when it is read back, a line break would start a new line, ','
// would split "worker.list", and '/' would break the "/name/" prefix of a
// mount key.
enum class RedirectorName { Host, Alias, WebApp, Worker };

// Throws ArgumentException (call point in `function`) naming the kind, the
// name and the rule's problem when `name` cannot be written.
void checkRedirectorName(RedirectorName kind, std::wstring_view name, const char* function);

}  // namespace wc
