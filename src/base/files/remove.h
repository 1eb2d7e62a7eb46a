#pragma once
// Removing files and directory trees that a running program may hold open.
// `force` grants the caller delete access and clears the read-only attribute
// where a first attempt fails. Through the recycler, an entry is first moved
// to a fresh name in its volume's recycler and deleted there, which frees its
// own name at once even where the deletion has to wait.

#include <cstdint>
#include <string>

#include "base/system/context.h"

namespace wc {

// Deletes one file; a file that is not there is no failure. While the
// deletion fails, retries `retries` more times, `pauseMs` apart. Throws the
// OS-error exception "DeleteFile '<path>'" (or "Move file '<path>' to
// '<target>'" through the recycler), call point "removeFile".
void removeFile(const Context& context, const std::wstring& path, bool force, bool throughRecycler = false,
                int retries = 0, uint32_t pauseMs = 0);

// Deletes a directory with everything in it; `recycler` empty deletes in
// place. Throws "Delete file '<name>'" / "Delete directory '<name>'" (with
// ". Processes: <list>" for a sharing violation whose holders are found) or
// the recycler's "Move file ..." texts, call point "removeDir".
void removeDir(const Context& context, const std::wstring& path, bool force, const std::wstring& recycler = L"");

// removeDir when the directory exists; nothing otherwise.
void removeDirectory(const Context& context, const std::wstring& path, bool force, bool throughRecycler = false);

}  // namespace wc
