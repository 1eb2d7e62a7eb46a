#include "app/name_rules.h"

#include "base/errors/vexception.h"
#include "tomcat/host_names.h"

namespace {

bool isHostChar(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'-' || c == L'_' ||
         c == L'.';
}

}  // namespace

std::optional<std::wstring> hostNameProblem(const std::wstring& name) {
  if (name.empty()) return L"the name is empty";
  if (name == L"." || name == L"..") return L"\".\" and \"..\" are not names";
  for (wchar_t c : name) {
    if (!isHostChar(c)) {
      return L"only ASCII letters, digits, '-', '_' and '.' may be used (internationalised names in their "
             L"\"xn--\" form)";
    }
  }
  return std::nullopt;
}

void checkCommandNames(const Params& params) {
  struct Rule {
    const wchar_t* parameter;
    const wchar_t* what;
    std::optional<std::wstring> (*problem)(const std::wstring&);
  };
  static const Rule rules[] = {
      {L"--vhost-name", L"host name", hostNameProblem},
      {L"--old-name", L"host name", hostNameProblem},
      {L"--new-name", L"host name", hostNameProblem},
      {L"--alias", L"alias", aliasNameProblem},
      {L"--old-alias", L"alias", aliasNameProblem},
      {L"--new-alias", L"alias", aliasNameProblem},
      {L"--webapp-name", L"application name", webAppNameProblem},
  };
  for (const Rule& rule : rules) {
    if (!params.hasParameter(rule.parameter)) continue;
    std::wstring value = params.getValue(rule.parameter, false);
    if (std::optional<std::wstring> problem = rule.problem(value)) {
      throw vexception(
          std::wstring(L"Invalid ") + rule.what + L" '" + value + L"' in " + rule.parameter + L": " + *problem,
          VCALLPOINT(L"", "checkCommandNames"));
    }
  }
  // The aliases file is read here once more, so that a bad name in it stops
  // the command before anything changes.
  const std::wstring aliasesFile = params.getValue(L"--aliases", false);
  for (const std::wstring& alias : readListFile(aliasesFile)) {
    if (std::optional<std::wstring> problem = aliasNameProblem(alias)) {
      throw vexception(
          L"Invalid alias '" + alias + L"' in the aliases file " + aliasesFile + L" (--aliases): " + *problem,
          VCALLPOINT(L"", "checkCommandNames"));
    }
  }
}

std::optional<std::wstring> aliasNameProblem(const std::wstring& name) {
  if (name.rfind(L"*.", 0) == 0) return hostNameProblem(name.substr(2));
  return hostNameProblem(name);
}

std::optional<std::wstring> webAppNameProblem(const std::wstring& name) {
  if (name.empty()) return L"the name is empty";
  if (name == L"." || name == L"..") return L"\".\" and \"..\" are not names";
  for (wchar_t c : name) {
    if (c == L'#') return L"'#' separates nested paths in Tomcat and cannot stand in a URL mount key";
    if (c == L'/' || c == L'\\' || c == L'=') return L"'/', '\\' and '=' may not be used";
    if (c == L' ' || c < 0x20 || (c >= 0x7F && c <= 0xA0) || c == 0x2028 || c == 0x2029 || c == 0x3000 || c == 0xFEFF) {
      return L"blanks and control characters may not be used";
    }
  }
  return std::nullopt;
}
