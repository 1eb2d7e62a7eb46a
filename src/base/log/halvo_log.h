#pragma once
// One rotating UTF-16LE log file of the panel under <product root>/admin/logs,
// named "halvolog_" + name + yyyymmdd + ".log". Every process writing the same
// log takes turns through a machine-wide mutex named after the log. Settings
// (log_<name>_enabled, _history, _rotation) come from the panel's
// configuration key when the log is made and again at most once a minute.

#include <cstdint>
#include <string>
#include <vector>

#include "base/files/file.h"
#include "base/registry/registry.h"
#include "base/system/context.h"
#include "base/system/named_mutex.h"

namespace wc {

namespace halvo::logging {

class HalvoLog {
 public:
  // An empty `name` names the log after the program file. Throws when the
  // product root is not configured or the mutex cannot be created.
  HalvoLog(const Context& context, const std::wstring& name, bool enabled);
  ~HalvoLog();
  HalvoLog(const HalvoLog&) = delete;
  HalvoLog& operator=(const HalvoLog&) = delete;

  // Appends one record: local time with milliseconds, process id, thread id,
  // the text and "\r\n". Rotates first when the current file has expired.
  void write(const std::wstring& text);

  // Deletes the oldest files of `files` (oldest first, the current one last)
  // until `history` files besides the current one remain. A file that cannot
  // be deleted is reported as a warning and skipped.
  void removeOld(const std::vector<std::wstring>& files);

  const std::wstring& directory() const { return directory_; }
  const std::wstring& name() const { return name_; }
  uint32_t rotation() const { return rotation_; }
  uint32_t history() const { return history_; }
  bool enabled() const { return enabled_; }
  // The path of the file for a date "yyyymmdd".
  std::wstring pathFor(const std::wstring& date) const;

 private:
  void refreshSettings();
  void readSettings(const registry::RegistryKey& config);
  void openOrRotate();
  std::vector<std::wstring> existingFiles() const;
  void open(const std::wstring& path);
  void close();
  void append(const std::string& bytes);

  Context context_;
  uint32_t rotation_ = 1;
  uint32_t history_ = 3;
  bool enabled_;
  uint32_t lastRefresh_ = 0;
  std::wstring directory_;
  std::wstring name_;
  std::wstring path_;  // of the open file
  File file_;
  NamedMutex mutex_;
};

// The date (yyyymmdd) from which the file at `path` of log `name` is replaced:
// the date in its name plus `rotation` days, or today once that has passed.
// Throws "Failed to parse name" when the file name carries no date after
// "halvolog_" + name.
std::wstring getRotationDate(const Context& context, const std::wstring& path, const std::wstring& name,
                             uint32_t rotation);

// Today's local date as yyyymmdd.
std::wstring todayDate(const Context& context);

}  // namespace halvo::logging

}  // namespace wc
