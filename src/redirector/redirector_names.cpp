#include "redirector/redirector_names.h"

#include "base/errors/strict_convert.h"
#include "base/errors/vexception.h"
#include "base/text/strings.h"

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

std::wstring_view forbiddenCharacters(RedirectorName kind) {
  switch (kind) {
    case RedirectorName::Host:
    case RedirectorName::Alias:
      return L"=#,/";
    case RedirectorName::Worker:
      return L"=#,";
    case RedirectorName::WebApp:
      return L"=#";
  }
  return L"=#";
}

}  // namespace

void checkRedirectorName(RedirectorName kind, std::wstring_view name, const char* function) {
  const std::wstring kindName = kindText(kind);
  if (name.empty()) throw ArgumentException(kindName + L" is empty", VCALLPOINT(L"", function));

  std::wstring problem;
  for (wchar_t c : name) {
    if (c == L'\r' || c == L'\n') {
      problem = L"a line break";
    } else if (c == L'\0') {
      problem = L"a NUL character";
    } else if (forbiddenCharacters(kind).find(c) != std::wstring_view::npos) {
      problem = std::wstring(L"'") + c + L"'";
    }
    if (!problem.empty()) break;
  }
  if (problem.empty()) return;
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
      kindName + L" '" + shown + L"' cannot be written to the redirector files: it contains " + problem,
      VCALLPOINT(L"", function));
}

std::string mountName(std::wstring_view hostOrAlias) { return cstr(lowerCase(hostOrAlias)); }
