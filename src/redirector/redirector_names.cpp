#include "redirector/redirector_names.h"

#include <optional>

#include "base/errors/strict_convert.h"
#include "base/errors/vexception.h"
#include "base/text/strings.h"
#include "names/name_rules.h"

namespace wc {

namespace {

const wchar_t* kindText(RedirectorName kind) {
  switch (kind) {
    case RedirectorName::Host:
      return L"Host name";
    case RedirectorName::Alias:
      return L"Alias name";
    case RedirectorName::WebApp:
      return L"Web application name";
    case RedirectorName::Worker:
      return L"Worker name";
  }
  return L"Name";
}

std::optional<std::wstring> problemOf(RedirectorName kind, std::wstring_view name) {
  switch (kind) {
    case RedirectorName::Host:
      return hostNameProblem(name);
    case RedirectorName::Alias:
      return aliasListNameProblem(name);
    case RedirectorName::WebApp:
      return webAppNameProblem(name);
    case RedirectorName::Worker:
      return workerNameProblem(name);
  }
  return L"unknown kind of name";
}

}  // namespace

void checkRedirectorName(RedirectorName kind, std::wstring_view name, const char* function) {
  const std::optional<std::wstring> problem = problemOf(kind, name);
  if (!problem) return;
  std::wstring shown;
  for (wchar_t c : name) {
    // Line breaks would tear the message apart; show them escaped.
    if (c == L'\r')
      shown += L"\\r";
    else if (c == L'\n')
      shown += L"\\n";
    else if (c == L'\0')
      shown += L"\\0";
    else
      shown += c;
  }
  throw ArgumentException(
      kindText(kind) + (L" '" + shown + L"' cannot be written to the redirector files: ") + *problem,
      VCALLPOINT(L"", function));
}

}  // namespace wc
