#pragma once
// A directory held open for many looks at what lies under it (a check of
// every host's directory under hcp-webapps and hcp-wars). On POSIX a name
// under it is found from the open directory instead of walking the whole
// path from the root again; on Windows it is joined to the directory's
// path. Either way the answers and failures are those of the path-based
// calls for the joined path.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/files/file_system.h"
#include "base/files/same_file.h"
#include "base/system/context.h"

namespace wc {

class OpenDirectory {
 public:
  // Never fails: a directory that cannot be opened answers every look as the
  // path-based calls do.
  OpenDirectory(const Context& context, const std::wstring& path);
  ~OpenDirectory();
  OpenDirectory(const OpenDirectory&) = delete;
  OpenDirectory& operator=(const OpenDirectory&) = delete;

  const std::wstring& path() const { return path_; }
  // The path of `relative` under it, as VFileName::combine joins them.
  std::wstring pathOf(const std::wstring& relative) const;

  // FileSystem::listDirectory of the directory `relative` under it.
  uint32_t listDirectory(const std::wstring& relative, std::vector<DirectoryEntry>& entries) const;
  // readFileIdentity of `relative` under it.
  uint32_t readFileIdentity(const std::wstring& relative, FileIdentity& identity) const;

 private:
  FileSystem& files_;
  std::wstring path_;
  int descriptor_ = -1;  // POSIX: the directory, opened for lookups only
};

// fileIdentity (same_file.h) of `relative` under `directory`.
std::optional<FileIdentity> fileIdentity(const OpenDirectory& directory, const std::wstring& relative);

}  // namespace wc
