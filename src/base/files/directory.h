#pragma once
// Creating directories.

#include <string>

#include "base/files/file_system.h"
#include "base/system/context.h"

namespace wc {

class VDirectory {
 public:
  // Creates the directory and every missing parent, each with `access` (null:
  // the system's defaults). An existing directory is left as it is, mode
  // included. An empty path throws ArgumentException "Unable to create
  // directory with wrong name"; a failed creation throws the OS-error
  // exception with the path and the context "CreateDirectory(<path>)".
  static void createDirectory(const Context& context, const std::wstring& path,
                              const DirectoryAccess* access = nullptr);
};

}  // namespace wc
