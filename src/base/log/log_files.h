#pragma once
// The few file-system operations of the log file's rotation and the platform's
// file names of this area. Each operation answers with 0 or a Windows error
// code.

#include <cstdint>
#include <string>
#include <vector>

namespace wc {

namespace halvo::logging {

// `base` and `name` joined with one separator.
std::wstring joinPath(const std::wstring& base, const std::wstring& name);
// The part after the last separator (either kind).
std::wstring fileNamePart(const std::wstring& path);
// The file name of the management service's program ("hcpsrv", "hcpsrv.exe"),
// which carries the event log's message table.
std::wstring managementServiceFileName();

// Full paths of the files in `directory` whose names are `prefix` + anything +
// `suffix`, sorted by name in ascending order. A missing directory has none.
uint32_t listFiles(const std::wstring& directory, const std::wstring& prefix, const std::wstring& suffix,
                   std::vector<std::wstring>& out);
// Creates the directory with its missing parents.
uint32_t createDirectories(const std::wstring& directory);
// Deletes a file even when it is read-only.
uint32_t deleteFileForced(const std::wstring& path);

}  // namespace halvo::logging

}  // namespace wc
