#include "tomcat/host_names.h"

#include "base/errors/strict_convert.h"
#include "base/files/whole_file.h"
#include "base/idn/display_form.h"
#include "base/text/strings.h"

namespace wc {

std::vector<std::wstring> readListFile(const Context& context, const std::wstring& path) {
  if (path.empty()) return {};
  std::string bytes = readWholeFile(context, path);
  // Windows editors start a UTF-8 file with a byte-order mark; it is no part
  // of the first name.
  constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
  if (bytes.starts_with(kUtf8ByteOrderMark)) bytes.erase(0, kUtf8ByteOrderMark.size());
  return splitDroppingEmpty(wstr(bytes), L";\r\n");
}

std::wstring display(const std::wstring& domainName) { return toDisplayForm(domainName, false); }

}  // namespace wc
