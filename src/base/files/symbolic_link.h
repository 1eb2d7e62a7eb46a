#pragma once
// Following symbolic links to the file they name, so that a file replaced as
// a whole (server.xml, a realm file) is replaced where it really lies and the
// link that points at it stays a link.

#include <cstdint>
#include <string>

namespace wc {

// The file that `path` names once the links of its last component are
// followed, link by link (a relative target counts from the link's
// directory): the path itself when it is no link or cannot be looked at (the
// caller's next step reports why), the final target of the chain even when
// that target does not exist yet. Answers 0 or a Windows error code:
// ERROR_CANT_RESOLVE_FILENAME for a chain of more than 40 links (a loop).
uint32_t resolveSymbolicLinks(const std::wstring& path, std::wstring& target);

}  // namespace wc
