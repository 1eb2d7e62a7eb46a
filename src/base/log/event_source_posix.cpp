#include "base/log/event_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>

#include "base/errors/win_error_codes.h"
#include "base/system/errno_posix.h"
#include "base/system/system_root.h"
#include "base/system/unique_handle.h"
#include "base/text/convert.h"
#include "base/text/unicode.h"

namespace wc {

struct EventSource::Impl {
  Clock* clock = nullptr;
  std::wstring name;
  std::string ident;  // syslog keeps the pointer, so it lives here
  bool syslogUsed = false;
};

namespace {

uint32_t makeDirectories(const std::string& path) {
  for (size_t pos = path.find('/', 1);; pos = path.find('/', pos + 1)) {
    std::string partial = path.substr(0, pos);
    if (mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) return lastWindowsError();
    if (pos == std::string::npos) return 0;
  }
}

int syslogPriority(uint16_t type) {
  switch (type) {
    case EVENTLOG_INFORMATION_TYPE:
      return LOG_INFO;
    case EVENTLOG_WARNING_TYPE:
      return LOG_WARNING;
    case EVENTLOG_SUCCESS:
      return LOG_NOTICE;
    default:
      return LOG_ERR;
  }
}

uint32_t appendLine(const std::string& line) {
  std::string directory = cstrLenient(underSystemRoot(L"var/log/halvo"));
  if (uint32_t error = makeDirectories(directory)) return error;
  std::string path = directory + "/events.log";
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
  if (!fd) return lastWindowsError();
  // One write per event, so that events of several processes never mix.
  ssize_t written;
  do {
    written = ::write(fd.get(), line.data(), line.size());
  } while (written < 0 && errno == EINTR);
  if (written < 0) return lastWindowsError();
  if (static_cast<size_t>(written) != line.size()) return ERROR_WRITE_FAULT;
  return 0;
}

}  // namespace

EventSource::EventSource() = default;
EventSource::~EventSource() { close(); }
EventSource::EventSource(EventSource&&) noexcept = default;
EventSource& EventSource::operator=(EventSource&& other) noexcept {
  if (this != &other) {
    close();
    impl_ = std::move(other.impl_);
  }
  return *this;
}

uint32_t EventSource::open(const Context& context, const std::wstring& source) {
  close();
  if (source.empty()) return ERROR_INVALID_PARAMETER;
  auto impl = std::make_unique<Impl>();
  impl->clock = context.clock;
  impl->name = source;
  impl->ident = wideToUtf8Lenient(source);
  impl_ = std::move(impl);
  return 0;
}

bool EventSource::isOpen() const { return impl_ != nullptr; }

void EventSource::close() {
  if (impl_ && impl_->syslogUsed) closelog();
  impl_.reset();
}

uint32_t EventSource::report(uint16_t type, uint16_t, uint32_t, const std::vector<std::wstring>& strings) {
  if (!impl_) return ERROR_INVALID_HANDLE;
  if (systemRootIsReal()) {
    // Another module of the process may have named syslog differently since.
    openlog(impl_->ident.c_str(), LOG_PID, LOG_USER);
    impl_->syslogUsed = true;
    std::wstring message;
    for (const std::wstring& s : strings) message += (message.empty() ? L"" : L": ") + s;
    syslog(syslogPriority(type), "%s", wideToUtf8Lenient(message).c_str());
    return 0;
  }
  std::wstring line = formatEventLine(impl_->clock->localTime(), type, impl_->name, strings);
  return appendLine(wideToUtf8Lenient(line) + "\n");
}

}  // namespace wc
