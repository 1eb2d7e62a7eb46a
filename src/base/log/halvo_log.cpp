#include "base/log/halvo_log.h"

#include <algorithm>

#include "base/errors/os_error.h"
#include "base/errors/vguard.h"
#include "base/log/log.h"
#include "base/log/log_files.h"
#include "base/registry/registry.h"
#include "base/system/clock.h"
#include "base/system/process.h"
#include "base/text/unicode.h"
#include "base/text/vaformat.h"

namespace wc {

namespace halvo::logging {

namespace {

constexpr uint32_t kRefreshIntervalMs = 60000;
const std::wstring kFilePrefix = L"halvolog_";
const std::wstring kFileSuffix = L".log";

// Set while removeOld walks its list on this thread: the warnings it logs go
// into the debug log too, and their writes must not start another clean-up.
thread_local bool removingOldFiles = false;

uint32_t openConfigKey(const Context& context, registry::RegistryKey& key) {
  return registry::tryOpen(context, registry::Root::LocalMachine, registry::kConfigKey,
                           registry::KEY_QUERY_VALUE | registry::viewFlag(registry::kView32), key);
}

}  // namespace

std::wstring todayDate(const Context& context) {
  LocalTime t = context.clock->localTime();
  return vaformat(L"%04d%02d%02d", t.year, t.month, t.day);
}

std::wstring getRotationDate(const Context& context, const std::wstring& path, const std::wstring& name,
                             uint32_t rotation) {
  std::wstring file = fileNamePart(path);
  size_t start = kFilePrefix.size() + name.size();
  auto fail = [&]() { throw vexception(L"Failed to parse name", VCALLPOINT(file, "halvo::logging::getRotationDate")); };
  if (file.size() < start + 8) fail();
  int digits[8];
  for (size_t i = 0; i < 8; ++i) {
    wchar_t c = file[start + i];
    if (c < L'0' || c > L'9') fail();
    digits[i] = c - L'0';
  }
  LocalTime date;
  date.year = digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3];
  date.month = digits[4] * 10 + digits[5];
  date.day = digits[6] * 10 + digits[7];
  if (date.year < 1970 || date.month < 1 || date.month > 12 || date.day < 1 || date.day > 31) fail();

  // Whole calendar days, so that a change of daylight saving time does not
  // move the date; beyond a few centuries the file simply never expires.
  date.day += static_cast<int>(std::min<uint32_t>(rotation, 100000));
  int64_t expiry = fromLocalTime(date);
  int64_t now = context.clock->now();
  if (expiry < now) return todayDate(context);
  LocalTime t = toLocalTime(expiry);
  return vaformat(L"%04d%02d%02d", t.year, t.month, t.day);
}

HalvoLog::HalvoLog(const Context& context, const std::wstring& name, bool enabled)
    : context_(context), enabled_(enabled), name_(name.empty() ? fileNamePart(programPath()) : name) {
  // One read of the settings store serves the directory and the settings.
  registry::RegistryKey config;
  std::wstring root;
  uint32_t error = openConfigKey(context_, config);
  if (!error) error = config.lookup(L"PRODUCT_ROOT_D", root);
  if (error) {
    throwOsError(L"lookup subKey=" + registry::kConfigKey + L" value=PRODUCT_ROOT_D", error,
                 VCALLPOINT(L"", "halvo::logging::HalvoLog::HalvoLog"));
  }
  if (root.empty()) {
    throw vexception(L"The product root directory (PRODUCT_ROOT_D) is empty",
                     VCALLPOINT(L"", "halvo::logging::HalvoLog::HalvoLog"));
  }
  directory_ = joinPath(joinPath(root, L"admin"), L"logs");
  if (uint32_t mutexError = mutex_.open(name_)) {
    throwOsError(L"create mutex " + name_, mutexError, VCALLPOINT(L"", "halvo::logging::HalvoLog::HalvoLog"));
  }
  readSettings(config);
}

HalvoLog::~HalvoLog() { close(); }

std::wstring HalvoLog::pathFor(const std::wstring& date) const {
  return joinPath(directory_, kFilePrefix + name_ + date + kFileSuffix);
}

void HalvoLog::write(const std::wstring& text) {
  uint32_t error = 0;
  uint32_t waited = mutex_.wait(INFINITE_WAIT, &error);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    throwOsError(L"WaitForSingleObject failed for mutex " + name_, error,
                 VCALLPOINT(L"", "halvo::logging::HalvoLog::write"));
  }
  struct Unlock {
    NamedMutex& mutex;
    ~Unlock() { mutex.release(); }
  } unlock{mutex_};

  refreshSettings();
  if (!enabled_) {
    close();
    return;
  }
  static const std::wstring processId = vaformat(L"%u", currentProcessId());
  std::wstring threadId = vaformat(L"%u", currentThreadId());

  openOrRotate();

  uint64_t position = 0;
  if (uint32_t seekError = file_.seekToEnd(position)) {
    throwOsError(L"Seek to the end of '" + path_ + L"'", seekError, VCALLPOINT(L"", "halvo::logging::HalvoLog::write"));
  }
  LocalTime t = context_.clock->localTime();
  std::wstring record = vaformat(L"%04d/%02d/%02d %02d:%02d:%02d:%03d %s %s %s\r\n", t.year, t.month, t.day, t.hour,
                                 t.minute, t.second, t.milliseconds, processId, threadId, text);
  // The mark and the record go out in one write, so that a reader never sees
  // a file holding the mark alone.
  std::string bytes = position == 0 ? std::string("\xFF\xFE", 2) : std::string();
  bytes += wideToUtf16le(record);
  append(bytes);
}

void HalvoLog::refreshSettings() {
  uint32_t tick = context_.clock->tickCount();
  // Either way round, so that the wrap of the tick count changes nothing.
  uint32_t distance = std::min<uint32_t>(tick - lastRefresh_, lastRefresh_ - tick);
  if (distance <= kRefreshIntervalMs) return;
  registry::RegistryKey config;
  if (openConfigKey(context_, config) == 0)
    readSettings(config);
  else
    lastRefresh_ = tick;
}

void HalvoLog::readSettings(const registry::RegistryKey& config) {
  // Each value is left as it is when missing.
  std::wstring prefix = L"log_" + name_;
  uint32_t enabled = enabled_ ? 1 : 0;
  config.lookup(prefix + L"_enabled", enabled);
  config.lookup(prefix + L"_history", history_);
  config.lookup(prefix + L"_rotation", rotation_);
  enabled_ = enabled != 0;
  lastRefresh_ = context_.clock->tickCount();
}

std::vector<std::wstring> HalvoLog::existingFiles() const {
  std::vector<std::wstring> files;
  if (uint32_t error = listFiles(directory_, kFilePrefix + name_, kFileSuffix, files)) {
    throwOsError(L"List log files in '" + directory_ + L"'", error,
                 VCALLPOINT(L"", "halvo::logging::HalvoLog::existingFiles"));
  }
  return files;
}

void HalvoLog::openOrRotate() {
  std::wstring today = todayDate(context_);
  std::vector<std::wstring> files;
  std::wstring next;
  if (file_.isOpen()) {
    std::wstring expiry = getRotationDate(context_, path_, name_, rotation_);
    if (today < expiry) return;
    files = existingFiles();
    close();
    next = pathFor(expiry);
  } else {
    files = existingFiles();
    if (files.empty()) {
      open(pathFor(today));
      return;
    }
    std::wstring expiry = getRotationDate(context_, files.back(), name_, rotation_);
    if (today < expiry) {
      open(files.back());
      return;
    }
    next = pathFor(expiry);
  }
  open(next);
  // With a rotation of 0 days the new file is today's file again: list it once.
  auto at = std::lower_bound(files.begin(), files.end(), next);
  if (at == files.end() || *at != next) files.insert(at, next);
  removeOld(files);
}

void HalvoLog::removeOld(const std::vector<std::wstring>& files) {
  if (removingOldFiles) return;
  removingOldFiles = true;
  struct Reset {
    ~Reset() { removingOldFiles = false; }
  } reset;
  size_t remaining = files.size();
  for (const std::wstring& path : files) {
    --remaining;
    if (remaining <= history_) break;
    try {
      vguard("halvo::logging::HalvoLog::removeOld", __LINE__, L"Failed to remove log file", [&] {
        if (uint32_t error = deleteFileForced(path)) {
          throwOsError(L"Delete file '" + path + L"'", error, VCALLPOINT(L"", "halvo::logging::deleteFileForced"));
        }
      });
    } catch (const vexception& e) {
      logException(LOG_WARNING, e);
    }
  }
}

void HalvoLog::open(const std::wstring& path) {
  close();
  const uint32_t access = FILE_ACCESS_READ | FILE_ACCESS_WRITE;
  const uint32_t share = FILE_SHARE_READ_ACCESS | FILE_SHARE_WRITE_ACCESS;
  uint32_t error = file_.open(path, access, share, FileDisposition::OpenAlways);
  if (error == ERROR_PATH_NOT_FOUND || error == ERROR_FILE_NOT_FOUND) {
    if (uint32_t dirError = createDirectories(directory_)) {
      throwOsError(L"Create directory '" + directory_ + L"'", dirError,
                   VCALLPOINT(L"", "halvo::logging::HalvoLog::open"));
    }
    error = file_.open(path, access, share, FileDisposition::OpenAlways);
  }
  if (error) throwOsError(L"Open log file '" + path + L"'", error, VCALLPOINT(L"", "halvo::logging::HalvoLog::open"));
  path_ = path;
}

void HalvoLog::close() {
  if (file_.isOpen()) file_.close();
  path_.clear();
}

void HalvoLog::append(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    uint32_t written = 0;
    uint32_t error = file_.write(bytes.data() + done, static_cast<uint32_t>(bytes.size() - done), written);
    if (!error && written == 0) error = ERROR_WRITE_FAULT;
    if (error)
      throwOsError(L"Write log file '" + path_ + L"'", error, VCALLPOINT(L"", "halvo::logging::HalvoLog::write"));
    done += written;
  }
}

}  // namespace halvo::logging

}  // namespace wc
