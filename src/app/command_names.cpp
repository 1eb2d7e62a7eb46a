#include "app/command_names.h"

#include <optional>
#include <string>
#include <string_view>

#include "base/errors/vexception.h"
#include "names/name_rules.h"

namespace wc {

void checkCommandNames(const Params& params) {
  struct Rule {
    const wchar_t* parameter;
    const wchar_t* what;
    std::optional<std::wstring> (*problem)(std::wstring_view);
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
}

}  // namespace wc
