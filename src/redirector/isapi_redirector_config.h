#pragma once
// The line-preserving edits of the redirector's workers.properties (one AJP
// worker per virtual host) and uriworkermap.properties (two URL mounts per
// started web application and host name). Every edit reads its file afresh,
// rewrites or erases the lines whose key matters, appends what is missing and
// saves the whole file; every other line survives byte for byte.
//
// Names are wide; they are converted to the ANSI code page before they are
// compared or written. Host and alias names in mount keys are lower-cased
// character by character, application names keep their case. A name that the
// files cannot hold (empty, or with '=', '#', a line break, and for host names
// also ',' or '/') is refused with an ArgumentException before any file is
// touched.

#include <memory>
#include <string>
#include <vector>

#include "base/system/context.h"
#include "redirector/property_file.h"

namespace wc {

// A line of uriworkermap.properties: a mount key and the worker it names,
// both as in the file.
struct MountLine {
  std::string key;
  std::string worker;
};

class IsapiRedirectorConfig {
 public:
  IsapiRedirectorConfig(const Context& context, std::wstring workersPropertiesPath, std::wstring uriWorkerMapPath);
  IsapiRedirectorConfig(IsapiRedirectorConfig&&) noexcept;
  ~IsapiRedirectorConfig();

  // From here on the edits load each file once and keep it, until
  // saveHeldEdits() saves each changed file once: a run of many edits
  // (hcpcheck --fix) writes each file once, and one that fails part-way
  // leaves both files as they were.
  void holdSaves();
  void saveHeldEdits();

  const std::wstring& workersPropertiesPath() const { return workersPath_; }
  const std::wstring& uriWorkerMapPath() const { return uriWorkerMapPath_; }

  // workers.properties; fails when the file is missing.
  // Lists the host's worker in "worker.list" and sets its port, host, type and
  // lbfactor lines, appending those that are missing.
  void addWorker(const std::wstring& hostName);
  // Renames the worker in "worker.list" and in its four keys; its host line
  // points at 127.0.0.1 afterwards.
  void renameWorker(const std::wstring& oldWorker, const std::wstring& newWorker);

  // workers.properties; nothing to do when the file is missing.
  // Drops the host's worker from every "worker.list" and erases its four keys.
  void removeWorker(const std::wstring& hostName);

  // uriworkermap.properties; fails when the file is missing.
  // Maps "/name/app" and "/name/app/*" to the host's worker for the host and
  // each alias, rewriting existing keys in place and appending the others.
  void addWebAppMounts(const std::wstring& hostName, const std::vector<std::wstring>& aliases,
                       const std::wstring& appName);
  // Gives each alias a copy of every mount of the host, pointing at the
  // worker of the host's first mount.
  void addAliasMounts(const std::wstring& hostName, const std::vector<std::wstring>& aliases);
  // Erases the mounts of the old host and its aliases and writes the old
  // host's mounts again under the new host and each new alias.
  void renameHostMounts(const std::wstring& oldHostName, const std::vector<std::wstring>& oldAliases,
                        const std::wstring& newHostName, const std::vector<std::wstring>& newAliases,
                        const std::wstring& newWorker);

  // uriworkermap.properties; nothing to do when the file is missing.
  // Erases the two mounts of the application under the host and each alias.
  void removeWebAppMounts(const std::wstring& hostName, const std::vector<std::wstring>& aliases,
                          const std::wstring& appName);
  // Erases the lines with these keys (as in the file), whatever they map to.
  void removeMounts(const std::vector<std::string>& keys);
  // Erases the lines of these keys that map to the given worker; a line of
  // the same key for another worker stays.
  void removeMountLines(const std::vector<MountLine>& lines);
  // Erases every mount under each alias ("/alias/..."; "/alias.other/" stays).
  void removeAliasMounts(const std::vector<std::wstring>& aliases);

 private:
  struct HeldFile {
    std::unique_ptr<PropertyFile> file;
    bool changed = false;
  };
  HeldFile& heldFile(const std::wstring& path);
  // The file to edit: loaded now, or the one held since an earlier edit.
  PropertyFile& load(const std::wstring& path);
  // Saves the edited file now, or notes it for saveHeldEdits().
  void save(const std::wstring& path);

  Context context_;
  std::wstring workersPath_;
  std::wstring uriWorkerMapPath_;
  bool holding_ = false;
  HeldFile workers_;
  HeldFile uriWorkerMap_;
};

}  // namespace wc
