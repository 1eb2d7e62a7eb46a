#pragma once
// Replacing a file as a whole so that a crash never leaves it half-written:
// the bytes go to a temporary file in the same directory, are flushed, and the
// temporary file is renamed over the old one; the old file's mode and owner are
// kept. A symbolic link stays a link: the file it points at is replaced, with
// the temporary file beside that file. Used for server.xml, realm files, the
// removal work list, the service stand-in's status records and hcpreg exports
// (the settings store has its own, under its file lock).

#include <optional>
#include <string>
#include <string_view>

#include "base/files/file_system.h"
#include "base/system/context.h"

namespace wc {

// A file written anew under a temporary name beside the file it replaces
// (its target, once symbolic links are followed) and put in the target's
// place when complete. The destructor removes a temporary file that was not
// put in place.
class FileReplacement {
 public:
  // Throws "Follow the symbolic links of '<path>'".
  FileReplacement(const Context& context, const std::wstring& path);
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  const std::wstring& target() const { return target_; }
  const std::wstring& temporary() const { return temporary_; }

  // What becomes of a target that is there, or that another process holds
  // open without delete sharing (Windows then refuses the replacement).
  enum class Placing {
    Replace,                // replaced; a refusal throws
    ReplaceOrWriteInPlace,  // refused: tried again, then written into in place
    KeepExisting,           // left as it is
  };
  enum class Placed { Replaced, WrittenInPlace, ExistingKept };

  // Puts the complete, closed temporary file in the target's place, with
  // `permissions` when given, else the old file's owner and access, or mode
  // 0644 for a new file. ReplaceOrWriteInPlace tries a refused replacement 10
  // times 100 ms apart and then writes the temporary file's bytes into the
  // target itself, as a writer without a temporary file would: the caller
  // says so. Throws the OS-error exception of the failing step, call point
  // "replaceFileAtomically"; the old file is then unchanged (a write in
  // place that fails puts the old bytes back from a copy; should that fail
  // too, the message names the copy, which is kept).
  Placed putInPlace(const FilePermissions* permissions, Placing placing);

 private:
  void writeInPlace();

  std::wstring target_;
  std::wstring temporary_;
  Context context_;
  bool placed_ = false;
};

// The temporary file is private to its owner until it is complete; then it
// gets `permissions` when given, else the old file's owner and access, or
// mode 0644 for a new file.
//
// Throws the OS-error exception of the failing step ("Write to file '<path>'",
// "Rename file '<tmp>' to '<path>'", ..., where <path> is the link's target for
// a link) with the call point "replaceFileAtomically"; the old file is then
// unchanged.
void replaceFileAtomically(const Context& context, const std::wstring& path, std::string_view bytes,
                           const FilePermissions* permissions = nullptr);

// The name of the file whose replacement left the temporary file `name`
// behind, when a run was killed before its rename: "server.xml" for
// "server.xml.~4711.1.tmp". Nothing for a name that is not of that form.
std::optional<std::wstring_view> replacedFileOfTemporary(std::wstring_view name);

}  // namespace wc
