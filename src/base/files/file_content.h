#pragma once
// The whole content of a file through File: what the real file systems of
// both platforms do for FileSystem::readFile and writeFile. Answers 0 or a
// Windows error code.

#include <cstdint>
#include <string>
#include <string_view>

#include "base/files/file.h"

uint32_t readFileContent(const std::wstring& path, std::string& content);
uint32_t writeFileContent(const std::wstring& path, std::string_view content, FileDisposition disposition,
                          bool durable);
