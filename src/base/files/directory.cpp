#include "base/files/directory.h"

#include "base/errors/os_error.h"
#include "base/files/file_exist.h"
#include "base/files/file_name.h"
#include "base/text/vaformat.h"

namespace wc {

void VDirectory::createDirectory(const Context& context, const std::wstring& path, const DirectoryAccess* access) {
  if (path.empty()) {
    throw ArgumentException(L"Unable to create directory with wrong name",
                            VCALLPOINT(L"", "VDirectory::createDirectory"));
  }
  const std::wstring directory = normalizeDirectoryPath(path);
  if (fileExist(context, directory)) return;
  // A relative path whose first component is missing ends here with the
  // empty-name failure, as the parent of a bare name is empty.
  createDirectory(context, VFileName::parent(directory), access);
  if (uint32_t error = context.files->createDirectory(directory, access)) {
    throwOsError(directory, error,
                 VCALLPOINT(vaformat(L"CreateDirectory(%s)", directory), "VDirectory::createDirectory"));
  }
}

}  // namespace wc
