#include "app/wcadmin.h"

#include "app/command_names.h"
#include "app/command_table.h"
#include "app/params.h"
#include "base/errors/win_error_codes.h"
#include "frame/exclusive_task.h"
#include "tomcat/tomcat_manager.h"

namespace wc {

int wcadmin::go(int count, const std::wstring* arguments) {
  std::wstring commandList;
  ExclusiveTask runLock;
  runLock.Initialize(kRunLockName, INFINITE_WAIT);
  ParameterMap map = parseParameters(count, arguments);
  Params params(map);
  // Loading the provider comes before the name is looked at: a broken provider
  // fails every command.
  TomcatManager manager(context_);

  for (const CommandRow& row : commandTable()) {
    if (!commandList.empty()) commandList += L"\n";
    commandList += commandListEntry(row);
    if (commandName_ != row.name && !(row.secondName && commandName_ == row.secondName)) continue;
    if (row.checked) {
      params.check(row.required, row.optional);
      checkCommandNames(params);
    }
    row.run(manager, params);
    return 0;
  }
  cmdNotSupported(commandList);
}

}  // namespace wc
