#include "base/files/symbolic_link.h"

#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <utility>

#include "base/errors/win_error_codes.h"
#include "base/files/path_error_posix.h"
#include "base/system/errno_posix.h"
#include "base/text/unicode.h"

namespace wc {

namespace {

// As many links as the system itself follows in one lookup (MAXSYMLINKS).
constexpr int kMaxLinks = 40;

// The text of a link; the size that lstat reports is only a first guess (a
// link may be rewritten meanwhile, and some report 0).
uint32_t readLinkText(const std::string& link, size_t sizeGuess, std::string& text) {
  for (size_t size = sizeGuess + 1;; size *= 2) {
    text.assign(size, '\0');
    const ssize_t length = ::readlink(link.c_str(), text.data(), text.size());
    if (length < 0) return lastWindowsError();
    if (static_cast<size_t>(length) < size) {
      text.resize(static_cast<size_t>(length));
      return ERROR_SUCCESS;
    }
  }
}

}  // namespace

uint32_t resolveSymbolicLinks(const std::wstring& path, std::wstring& target) {
  std::optional<std::string> name = systemPath(path);
  if (!name) return ERROR_INVALID_NAME;
  std::string current = *name;
  for (int links = 0;; ++links) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
    if (links == kMaxLinks) return ERROR_CANT_RESOLVE_FILENAME;
    std::string linkText;
    if (uint32_t error = readLinkText(current, st.st_size > 0 ? static_cast<size_t>(st.st_size) : 255, linkText)) {
      return error;
    }
    const size_t slash = current.find_last_of('/');
    current = linkText[0] == '/' || slash == std::string::npos ? linkText : current.substr(0, slash + 1) + linkText;
  }
  if (current == *name) {
    target = path;
    return ERROR_SUCCESS;
  }
  std::optional<std::wstring> resolved = utf8ToWide(current);
  if (!resolved) return ERROR_INVALID_NAME;
  target = std::move(*resolved);
  return ERROR_SUCCESS;
}

}  // namespace wc
