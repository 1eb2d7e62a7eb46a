#include "tomcat/host_names.h"

#include "base/errors/strict_convert.h"
#include "base/files/whole_file.h"
#include "base/idn/display_form.h"
#include "base/text/strings.h"

std::vector<std::wstring> readListFile(const std::wstring& path) {
  if (path.empty()) return {};
  return splitDroppingEmpty(wstr(readWholeFile(path)), L";\r\n");
}

std::vector<std::wstring> addWwwTwins(const std::wstring& host, const std::vector<std::wstring>& aliases) {
  std::vector<std::wstring> names;
  names.reserve(1 + 2 * aliases.size());
  names.push_back(L"www." + host);
  for (const std::wstring& alias : aliases) {
    names.push_back(alias);
    names.push_back(L"www." + alias);
  }
  return names;
}

std::wstring display(const std::wstring& domainName) { return toDisplayForm(domainName, false); }
