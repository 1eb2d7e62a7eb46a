#pragma once
// The recycler: a directory per volume into which entries are moved before
// they are deleted, so that a name still held open is free at once.

#include <string>

#include "base/system/context.h"

namespace wc {

// The recycler of the volume that holds `path`: the volume root, then
// "Recycler", then "{86066D57-9347-46a7-B4DB-971D9EF36D29}". Created with its
// parents when missing, owned by root and closed to everyone else. Inside a
// sandbox machine (HCP_SYSTEM_ROOT) the sandbox root stands for the root of
// its volume, so that tests never touch the real one.
std::wstring recyclerDirectory(const Context& context, const std::wstring& path);

// A fresh random GUID in its braced text form.
std::wstring newGuidText();

// A name in `directory` that nothing uses yet (a fresh GUID); after 100
// taken names throws "Unable to create temporary name in (<directory>)".
std::wstring uniqueNameIn(const Context& context, const std::wstring& directory);

}  // namespace wc
