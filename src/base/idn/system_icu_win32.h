#pragma once
// Where the UTS #46 conversion finds ICU's C API on Windows: the system's own
// ICU, whichever packaging this Windows ships.

#include <optional>
#include <string>
#include <vector>

namespace wc {

// Tried in this order: icu.dll (Windows 10 version 1903 and later), then
// icuuc.dll, ICU's common library alone (versions 1703 to 1809, Server 2019).
// Without either, the conversion is the system's IdnToUnicode.
std::vector<std::wstring> systemIcuLibraryNames();

// Loads the first of `names` that System32 holds and that exports every one of
// `functions`, into `module`; it stays loaded for the life of the process.
// Returns its index in `names`, or nothing when none does.
std::optional<size_t> loadFirstSystemLibrary(const std::vector<std::wstring>& names,
                                             const std::vector<const char*>& functions, void*& module);

}  // namespace wc
