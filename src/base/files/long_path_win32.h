#pragma once
// The form in which paths go to the Windows file calls (the Windows side of
// the files seam only).

#include <string>

namespace wc {

// An absolute path ("C:\...", "\\server\share\...") in its long-path form
// ("\\?\C:\...", "\\?\UNC\server\share\..."), normalised first as the system
// would ("/" to "\", "." and ".." resolved), so that it may pass MAX_PATH.
// A path that already has the prefix, a device path ("\\.\") and a relative
// path are given as they are.
std::wstring longPathForm(const std::wstring& path);

// The path with a long-path prefix taken off again, for texts that people
// read ("\\?\C:\x" -> "C:\x", "\\?\UNC\server\x" -> "\\server\x").
std::wstring withoutLongPathPrefix(const std::wstring& path);

}  // namespace wc
