#include "base/files/open_directory.h"

namespace wc {

// Windows looks along the whole path either way: the names are joined.

OpenDirectory::OpenDirectory(const Context& context, const std::wstring& path) : files_(*context.files), path_(path) {}

OpenDirectory::~OpenDirectory() = default;

uint32_t OpenDirectory::listDirectory(const std::wstring& relative, std::vector<DirectoryEntry>& entries) const {
  return files_.listDirectory(pathOf(relative), entries);
}

uint32_t OpenDirectory::readFileIdentity(const std::wstring& relative, FileIdentity& identity) const {
  return wc::readFileIdentity(pathOf(relative), identity);
}

}  // namespace wc
