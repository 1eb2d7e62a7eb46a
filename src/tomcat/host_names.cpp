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

namespace {
constexpr std::wstring_view kWwwPrefix = L"www.";
}  // namespace

std::wstring wwwTwin(std::wstring_view name) { return std::wstring(kWwwPrefix).append(name); }

bool isWwwTwin(std::wstring_view twin, std::wstring_view name) {
  return twin.size() == kWwwPrefix.size() + name.size() && twin.starts_with(kWwwPrefix) &&
         twin.substr(kWwwPrefix.size()) == name;
}

std::vector<std::wstring> addWwwTwins(const std::wstring& host, const std::vector<std::wstring>& aliases) {
  std::vector<std::wstring> names;
  names.reserve(1 + 2 * aliases.size());
  names.push_back(wwwTwin(host));
  for (const std::wstring& alias : aliases) {
    names.push_back(alias);
    names.push_back(wwwTwin(alias));
  }
  return names;
}

std::wstring display(const std::wstring& domainName) { return toDisplayForm(domainName, false); }

}  // namespace wc
