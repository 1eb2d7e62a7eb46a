#pragma once
// The names in a directory that match a wildcard pattern ("*.war", "*.dmp").

#include <string>
#include <string_view>
#include <vector>

struct FoundName {
  std::wstring name;
  bool directory = false;
};

// The matching entries of `directory`, sorted by name ignoring case. A
// directory that is missing or cannot be listed throws the OS-error
// exception "List directory '<directory>'", call point "findFileNames".
std::vector<FoundName> findFileNames(const std::wstring& directory, const std::wstring& pattern);

// Wildcard match by the system's rules: '*' any run of characters, '?' one
// character, letter case ignored; "*.*" matches every name.
bool matchesWildcard(std::wstring_view name, std::wstring_view pattern);
