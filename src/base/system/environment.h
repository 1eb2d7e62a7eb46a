#pragma once
// The process environment.

#include <optional>
#include <string>
#include <string_view>

namespace wc {

std::optional<std::wstring> environmentVariable(std::wstring_view name);
// Replaces every %NAME% that names a set variable by its value; references to
// unset variables stay as written (as ExpandEnvironmentStrings does).
std::wstring expandEnvironmentStrings(std::wstring_view text);

}  // namespace wc
