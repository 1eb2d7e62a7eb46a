#pragma once
// Renaming and moving files and directory trees.

#include <string>

#include "base/system/context.h"

namespace wc {

// Renames a file (across volumes by copying), trying `tries` times while it
// is held open, 100 ms apart; 0 tries does nothing. Throws the OS-error
// exception "Rename file '<from>' to '<to>'" (with ". Processes: <list>"
// when the holders of a file that stayed shared are found), call point
// "renameFile".
void renameFile(const Context& context, const std::wstring& from, const std::wstring& to, int tries);

// Renames or moves a directory tree. Where the system's move cannot do it
// (another volume, an existing target with `replaceExisting`), the entries
// move one by one into the target, which is created with the access of the
// source; a failure moves every moved entry back and removes a target this
// call created. What is left of the source then goes through its recycler.
// Without `replaceExisting` an existing target throws "Directory <to> already
// exists"; a file there throws "File <to> already exists". A target inside
// the source is refused. Guarded: context "RenameDir('<from>', '<to>')",
// function "renameDir".
void renameDir(const Context& context, const std::wstring& from, const std::wstring& to, bool replaceExisting);

}  // namespace wc
