// Work items as cron files in etc/cron.d under the sandbox root.

#include "base/removal/work_item_store.h"

#include "base/errors/vexception.h"
#include "base/files/atomic_write.h"
#include "base/files/directory.h"
#include "base/files/file_exist.h"
#include "base/files/file_name.h"
#include "base/files/whole_file.h"
#include "base/log/log_manager.h"
#include "base/removal/cron_file.h"
#include "base/removal/removal_task.h"
#include "base/system/system_root.h"

namespace wc {

namespace {

std::wstring cronFilePath(const std::wstring& name) {
  return VFileName::combine(underSystemRoot(L"etc/cron.d"), cronFileName(name));
}

}  // namespace

std::optional<WorkItem> loadWorkItem(const std::wstring& name) {
  const std::wstring path = cronFilePath(name);
  const Context machine = processMachine();
  if (!fileExist(machine, path)) return std::nullopt;
  const std::string text = readWholeFile(machine, path);
  try {
    return parseCronFile(text);
  } catch (const vexception& e) {
    throw vexception(L"Unable to read the work item '" + name + L"' from '" + path + L"': " + e.message(),
                     VCALLPOINT(L"", "loadWorkItem"));
  }
}

void saveWorkItem(const std::wstring& name, const WorkItem& item) {
  const std::wstring path = cronFilePath(name);
  const std::string text = cronFileText(name, item);
  const Context machine = processMachine();
  VDirectory::createDirectory(machine, VFileName::parent(path));
  // cron skips files that others may write to.
  const FilePermissions readableByAll{0644, L""};
  replaceFileAtomically(machine, path, text, &readableByAll);
}

// The removal tool the work item starts; programs have no file name
// extension here.
std::wstring removalToolFileName() { return L"cleanrun"; }

}  // namespace wc
