#pragma once
// The names a command may carry. Host names become directory names and the
// connector's worker names, alias and application names become parts of URL
// mount keys and paths: a name that would leave the panel's directories or
// write lines of its own into the connector's files is refused before any
// operation runs.

#include <optional>
#include <string>

#include "app/params.h"

// What is wrong with a name, or nothing when it is acceptable.
//
// Host names: non-empty; ASCII letters, digits, '-', '_' and '.'; neither "."
// nor "..". Internationalised names arrive in their "xn--" form.
std::optional<std::wstring> hostNameProblem(const std::wstring& name);
// Alias names: as host names, optionally behind "*." (a wildcard alias).
std::optional<std::wstring> aliasNameProblem(const std::wstring& name);
// Application names: non-empty; neither "." nor ".."; no '/', '\', '=', '#',
// blanks or control characters.
std::optional<std::wstring> webAppNameProblem(const std::wstring& name);

// Throws "Invalid <what> '<value>' in <parameter>: <problem>" for the first
// name parameter of the command whose value breaks its rule, and "Invalid alias
// '<name>' in the aliases file <path> (--aliases): <problem>" for a bad name
// in the aliases file.
void checkCommandNames(const Params& params);
