#pragma once
// The names in a directory that match a wildcard pattern ("*.war", "*.dmp").

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/system/context.h"

namespace wc {

class OpenDirectory;

struct FoundName {
  std::wstring name;
  bool directory = false;
  uint64_t volume = 0;  // as DirectoryEntry tells them
  uint64_t fileNumber = 0;
};

// How the names come: sorted by name ignoring case, or as the system lists
// them (no sort for a caller that looks names up in a directory of thousands).
enum class NameOrder { Sorted, AsListed };

// The matching entries of `directory`. A directory that is missing or cannot
// be listed throws the OS-error exception "List directory '<directory>'",
// call point "findFileNames".
std::vector<FoundName> findFileNames(const Context& context, const std::wstring& directory, const std::wstring& pattern,
                                     NameOrder order = NameOrder::Sorted);
// The same for the directory `relative` under `parent` (see open_directory.h);
// the exception names the joined path.
std::vector<FoundName> findFileNames(const OpenDirectory& parent, const std::wstring& relative,
                                     const std::wstring& pattern, NameOrder order = NameOrder::Sorted);

// Wildcard match by the system's rules: '*' any run of characters, '?' one
// character, letter case ignored; "*.*" matches every name.
bool matchesWildcard(std::wstring_view name, std::wstring_view pattern);

}  // namespace wc
