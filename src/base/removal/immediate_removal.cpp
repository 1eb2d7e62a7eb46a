#include "base/removal/immediate_removal.h"

#include <exception>

#include "base/errors/os_error.h"
#include "base/files/file_exist.h"
#include "base/files/remove.h"
#include "base/log/log.h"
#include "base/removal/local_user.h"
#include "base/services/service.h"
#include "base/text/convert.h"

namespace wc {

namespace {

// Deletes the path if it is there; throws what the file helpers throw.
void deletePath(const Context& context, const std::wstring& path) {
  bool isDirectory = false;
  if (!fileExist(context, path, &isDirectory)) return;
  if (isDirectory) {
    removeDirectory(context, path, true);
    logMessage(LOG_INFO, L"Folder %s has been deleted", path);
  } else {
    removeFile(context, path, true);
    logMessage(LOG_INFO, L"File %s has been deleted", path);
  }
}

}  // namespace

bool ImmediatelyFilesRemoval::remove(const RemovalEntry& entry) {
  return entry.type == UriType::User ? deleteUser(entry) : deleteGenericsFiles(entry);
}

void ImmediatelyFilesRemoval::stopServiceFor(const RemovalEntry& entry) {
  const bool running = service::isActive(context_, entry.service);
  if (uint32_t error = service::controlService(context_, SERVICE_CONTROL_STOP, entry.service)) {
    logMessage(LOG_WARNING, L"Unable to stop service %s: %s", entry.service, osErrorText(error, nullptr));
  }
  if (!running) return;
  // Started again at the end even if the stop did not complete: it ran before.
  stopped_.insert(entry.service);
  logMessage(LOG_INFO, L"Service %s has been stopped for delete file %s", entry.service, entry.uri);
}

bool ImmediatelyFilesRemoval::deleteGenericsFiles(const RemovalEntry& entry) {
  std::wstring failure;
  try {
    try {
      deletePath(context_, entry.uri);
      return true;
    } catch (const VSharingViolationException& e) {
      logMessage(LOG_WARNING, L"Some not fatal error has been occured %s", e.message());
      // Without a service there is nobody to stop: the entry waits for the
      // next run.
      if (entry.service.empty()) throw;
      stopServiceFor(entry);
      deletePath(context_, entry.uri);
      return true;
    }
  } catch (const vexception& e) {
    failure = e.message();
  } catch (const std::exception& e) {
    failure = wstrLenient(e.what());
  }
  logMessage(LOG_ERROR, L"Unable delete file %s even stop service %s: %s", entry.uri, entry.service, failure);
  return false;
}

bool ImmediatelyFilesRemoval::deleteUser(const RemovalEntry& entry) {
  try {
    context_.localUsers->deleteUser(entry.uri);
    return true;
  } catch (const vexception& e) {
    logMessage(LOG_INFO, L"%s", e.message());
  } catch (const std::exception& e) {
    logMessage(LOG_INFO, L"%s", wstrLenient(e.what()));
  }
  logMessage(LOG_ERROR, L"Unable to delete user %s.", entry.uri);
  return false;
}

}  // namespace wc
