#include "redirector/whole_file_writer.h"

#include <algorithm>
#include <cstdint>

#include "base/errors/os_error.h"
#include "base/files/file.h"

namespace {
constexpr const char* kFunction = "writeWholeFile";
constexpr size_t kLargestWrite = 1u << 30;
}  // namespace

bool writeWholeFile(const std::wstring& path, std::string_view bytes, bool overwrite) {
  File file;
  const uint32_t opened = file.open(path, FILE_ACCESS_WRITE, FILE_SHARE_READ_ACCESS,
                                    overwrite ? FileDisposition::CreateAlways : FileDisposition::CreateNew);
  if (!overwrite && (opened == ERROR_FILE_EXISTS || opened == ERROR_ALREADY_EXISTS)) return false;
  if (opened != ERROR_SUCCESS) throwOsError(L"Open file '" + path + L"' to write", opened, VCALLPOINT(L"", kFunction));

  while (!bytes.empty()) {
    const uint32_t piece = static_cast<uint32_t>(std::min(bytes.size(), kLargestWrite));
    uint32_t written = 0;
    const uint32_t code = file.write(bytes.data(), piece, written);
    if (code != ERROR_SUCCESS) throwOsError(L"Write to file '" + path + L"'", code, VCALLPOINT(L"", kFunction));
    if (written != piece) throw vexception(L"Write to file '" + path + L"' failed", VCALLPOINT(L"", kFunction));
    bytes.remove_prefix(piece);
  }
  const uint32_t closed = file.close();
  if (closed != ERROR_SUCCESS) throwOsError(L"Write to file '" + path + L"'", closed, VCALLPOINT(L"", kFunction));
  return true;
}
