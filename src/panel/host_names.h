#pragma once
// The names a host answers to: its own name, the "www." twin of it, and each
// alias with its twin. The commands add the twins; the check expects them.

#include <string>
#include <string_view>
#include <vector>

namespace wc {

// The "www." twin of a name is exactly "www." + the name; nothing is checked
// or lower-cased.
std::wstring wwwTwin(std::wstring_view name);
bool isWwwTwin(std::wstring_view twin, std::wstring_view name);

// The twin of the host, then each alias followed by its twin. Nothing is
// checked, lower-cased or de-duplicated.
std::vector<std::wstring> addWwwTwins(const std::wstring& host, const std::vector<std::wstring>& aliases);

}  // namespace wc
