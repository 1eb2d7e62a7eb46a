#include "names/aliases_file_names.h"

#include <optional>

#include "base/errors/vexception.h"
#include "names/name_rules.h"

namespace wc {

void checkAliasesFileNames(const std::vector<std::wstring>& aliases, const std::wstring& path) {
  for (const std::wstring& alias : aliases) {
    if (std::optional<std::wstring> problem = aliasNameProblem(alias)) {
      throw vexception(L"Invalid alias '" + alias + L"' in the aliases file " + path + L" (--aliases): " + *problem,
                       VCALLPOINT(L"", "checkAliasesFileNames"));
    }
  }
}

}  // namespace wc
