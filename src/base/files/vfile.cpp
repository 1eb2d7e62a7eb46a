#include "base/files/vfile.h"

#include "base/errors/os_error.h"
#include "base/files/file_system.h"
#include "base/files/rename.h"

namespace wc {

void VFile::createHardLink(const Context& context, const std::wstring& newFile, const std::wstring& existingFile) {
  if (uint32_t error = context.files->createHardLink(newFile, existingFile)) {
    throwOsError(
        L"Establishes a hard link between an existing file '" + existingFile + L"' and a new file '" + newFile + L"'",
        error, VCALLPOINT(L"", "VFile::createHardLink"));
  }
}

void VFile::rename(const Context& context, const std::wstring& from, const std::wstring& to) {
  renameFile(context, from, to, 1);
}

void VFile::moveEx(const Context& context, const std::wstring& from, const std::wstring& to, uint32_t flags) {
  if (uint32_t error = context.files->moveFile(from, to, flags)) {
    throwOsError(L"Move file '" + from + L"' to '" + to + L"'", error, VCALLPOINT(L"", "VFile::moveEx"));
  }
}

}  // namespace wc
