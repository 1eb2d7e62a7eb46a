#pragma once
// The one rule for the names a command carries, asked by the dispatcher before
// an operation runs, by the operations for the names of an aliases file, and
// by the redirector before it writes a name. Host names become directory
// names and the connector's worker names, alias and application names parts
// of URL mount keys and paths: a name that would leave the panel's
// directories or write lines of its own into the connector's files is
// refused.

#include <optional>
#include <string>
#include <string_view>

namespace wc {

// What is wrong with a name, or nothing when it is acceptable.
//
// Host names: non-empty; ASCII letters, digits, '-', '_' and '.'; neither "."
// nor ".."; at most 253 characters, each label at most 63.
// Internationalised names arrive in their "xn--" form.
std::optional<std::wstring> hostNameProblem(std::wstring_view name);
// Alias names: as host names, optionally behind "*." (a wildcard alias).
std::optional<std::wstring> aliasNameProblem(std::wstring_view name);
// A name of a host's alias list: an alias or the "www." twin of one (the twin
// of "*.a.test" is "www.*.a.test").
std::optional<std::wstring> aliasListNameProblem(std::wstring_view name);
// Application names: non-empty; neither "." nor ".."; no '/', '\', '=', '#',
// blanks or control characters.
std::optional<std::wstring> webAppNameProblem(std::wstring_view name);
// Worker names (a host name with its dots replaced): as host names without
// '.', which would split the connector's "worker.<name>.<key>" keys.
std::optional<std::wstring> workerNameProblem(std::wstring_view name);

}  // namespace wc
