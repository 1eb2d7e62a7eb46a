#pragma once
// Operations on single files that report failures with the paths involved.

#include <cstdint>
#include <string>

#include "base/system/context.h"

namespace wc {

class VFile {
 public:
  // A second name for an existing file. Throws the OS-error exception
  // "Establishes a hard link between an existing file '<existing>' and a new
  // file '<new>'".
  static void createHardLink(const Context& context, const std::wstring& newFile, const std::wstring& existingFile);
  // renameFile with one try.
  static void rename(const Context& context, const std::wstring& from, const std::wstring& to);
  // The system move with MOVE_* flags; throws "Move file '<from>' to '<to>'".
  static void moveEx(const Context& context, const std::wstring& from, const std::wstring& to, uint32_t flags);
};

}  // namespace wc
