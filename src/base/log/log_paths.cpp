#include "base/log/log_files.h"
#include "base/system/path_separator.h"

namespace wc {

namespace halvo::logging {

std::wstring joinPath(const std::wstring& base, const std::wstring& name) {
  if (base.empty()) return name;
  wchar_t last = base.back();
  if (last == L'/' || last == L'\\') return base + name;
  return base + wc::pathSeparator() + name;
}

std::wstring fileNamePart(const std::wstring& path) {
  size_t slash = path.find_last_of(L"/\\");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace halvo::logging

}  // namespace wc
