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

#include <string>
#include <vector>

class IsapiRedirectorConfig {
 public:
  IsapiRedirectorConfig(std::wstring workersPropertiesPath, std::wstring uriWorkerMapPath);

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
  // Erases every mount under each alias ("/alias/..."; "/alias.other/" stays).
  void removeAliasMounts(const std::vector<std::wstring>& aliases);

 private:
  std::wstring workersPath_;
  std::wstring uriWorkerMapPath_;
};
