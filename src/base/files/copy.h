#pragma once
// Copying files and directory trees.

#include <string>

#include "base/system/context.h"

namespace wc {

// Copies a file with its attributes. A sharing violation whose holders (of
// either file) are found throws "Copy file '<from>' to '<to>'. Processes:
// <list>" with code 32; any other failure the OS-error exception "copy file
// <from> to <to>", call point "copyFile".
void copyFile(const Context& context, const std::wstring& from, const std::wstring& to, bool failIfExists);

// Copies a directory with everything in it into `to` (created with its
// parents when missing; files already there are replaced unless
// `failIfExists`). A missing source throws before anything is created.
void copyDirectoryTree(const Context& context, const std::wstring& from, const std::wstring& to, bool failIfExists);

}  // namespace wc
