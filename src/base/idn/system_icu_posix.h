#pragma once
// Where the display-form conversions find ICU's C API on POSIX: the common
// library of the ICU the program was built against, loaded on the first name
// that needs converting instead of by the loader at every start.

#include <optional>
#include <string>
#include <vector>

namespace wc {

class DynamicLibrary;

// libicuuc.so.<major version>, from ICU's headers.
std::wstring systemIcuLibraryFile();

// Loads `file` (searched for where the system's loader looks) into `loaded`
// and puts the address of each of `functions` into `addresses`, in order.
// Returns nothing, or what is missing in the loader's words with its error
// code ("... (Error code 126)"); `loaded` is then empty.
std::optional<std::wstring> loadSystemLibrary(const std::wstring& file, const std::vector<std::string>& functions,
                                              DynamicLibrary& loaded, std::vector<void*>& addresses);

}  // namespace wc
