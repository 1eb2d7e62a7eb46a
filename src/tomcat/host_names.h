#pragma once
// The names of a host: the aliases file and the host's name list.

#include <string>
#include <string_view>
#include <vector>

#include "base/system/context.h"

namespace wc {

// The alias names listed in the file: its bytes in the ANSI code page, split at
// every ';', CR and LF, empty pieces dropped, nothing trimmed. An empty path
// gives no names without touching the file system.
std::vector<std::wstring> readListFile(const Context& context, const std::wstring& path);

// The "www." twin of a name is exactly "www." + the name; nothing is checked
// or lower-cased.
std::wstring wwwTwin(std::wstring_view name);
bool isWwwTwin(std::wstring_view twin, std::wstring_view name);

// The twin of the host, then each alias followed by its twin. Nothing is
// checked, lower-cased or de-duplicated.
std::vector<std::wstring> addWwwTwins(const std::wstring& host, const std::vector<std::wstring>& aliases);

// The Unicode display form of a domain name, for context lines.
std::wstring display(const std::wstring& domainName);

}  // namespace wc
