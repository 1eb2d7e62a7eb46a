#pragma once
// The names of an aliases file (the file that --aliases names) are checked
// where an operation reads the file, before it changes anything.

#include <string>
#include <vector>

namespace wc {

// Throws vexception "Invalid alias '<name>' in the aliases file <path>
// (--aliases): <problem>" for the first name that breaks the alias rule.
void checkAliasesFileNames(const std::vector<std::wstring>& aliases, const std::wstring& path);

}  // namespace wc
