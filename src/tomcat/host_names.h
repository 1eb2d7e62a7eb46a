#pragma once
// The names of a host: the aliases file and the host's name list.

#include <string>
#include <vector>

#include "base/system/context.h"
#include "panel/host_names.h"

namespace wc {

// The alias names listed in the file: its bytes in the ANSI code page, split at
// every ';', CR and LF, empty pieces dropped, nothing trimmed. An empty path
// gives no names without touching the file system.
std::vector<std::wstring> readListFile(const Context& context, const std::wstring& path);

// The Unicode display form of a domain name, for context lines.
std::wstring display(const std::wstring& domainName);

}  // namespace wc
