#include "base/files/holding_processes.h"

#include <exception>

namespace wc {

namespace RunTime {

std::wstring processesHoldingFiles(const std::vector<std::wstring>& paths) {
  try {
    return getProccessesByOpenedFiles(paths);
  } catch (const std::exception&) {
    return {};  // the original failure is reported without the list
  }
}

}  // namespace RunTime

}  // namespace wc
