#include "base/system/named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <memory>
#include <mutex>

#include "base/errors/win_error_codes.h"
#include "base/system/clock.h"
#include "base/system/errno_posix.h"
#include "base/system/process.h"
#include "base/system/system_root.h"
#include "base/system/unique_handle.h"
#include "base/text/convert.h"

namespace wc {

struct NamedMutex::State {
  std::string path;
  UniqueFd fd;
  int levels = 0;  // how often this object holds the lock
};

namespace {

// Ownership inside this process: flock() would make a second descriptor of the
// same thread wait for itself, while a Windows mutex is recursive.
// The owner keeps its own duplicate of the locked descriptor, so the lock
// stays with the thread whichever of its objects releases last.
struct Owner {
  uint32_t thread = 0;
  int count = 0;
  std::shared_ptr<UniqueFd> lockedFd;
};
std::mutex ownersLock;
std::map<std::string, Owner> owners;

std::string lockFileName(std::wstring name) {
  for (const wchar_t* prefix : {L"Global\\", L"Local\\"}) {
    if (name.rfind(prefix, 0) == 0) name.erase(0, wcslen(prefix));
  }
  for (wchar_t& c : name) {
    if (c == L'/' || c == L'\\' || c == 0) c = L'_';
  }
  return cstrLenient(name) + ".lock";
}

uint32_t makeDirectories(const std::string& path) {
  std::string partial;
  size_t pos = 0;
  while (pos != std::string::npos) {
    pos = path.find('/', pos + 1);
    partial = path.substr(0, pos);
    if (partial.empty()) continue;
    if (mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) return lastWindowsError();
  }
  return 0;
}

}  // namespace

NamedMutex::NamedMutex() = default;

NamedMutex::~NamedMutex() { close(); }

void NamedMutex::close() {
  while (state_ && state_->levels > 0) release();
  state_.reset();
}

bool NamedMutex::isOpen() const { return state_ && state_->fd.valid(); }

uint32_t NamedMutex::open(const std::wstring& name) {
  auto state = std::make_unique<State>();
  std::string dir = cstrLenient(underSystemRoot(L"run/halvo/locks"));
  if (uint32_t error = makeDirectories(dir)) return error;
  state->path = dir + "/" + lockFileName(name);
  state->fd.reset(::open(state->path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
  if (!state->fd.valid()) return lastWindowsError();
  state_ = std::move(state);
  return 0;
}

uint32_t NamedMutex::wait(uint32_t timeoutMs, uint32_t* error) {
  if (!isOpen()) {
    if (error) *error = ERROR_INVALID_HANDLE;
    return WAIT_FAILED;
  }
  uint32_t thread = currentThreadId();
  {
    std::lock_guard<std::mutex> guard(ownersLock);
    auto it = owners.find(state_->path);
    if (it != owners.end() && it->second.thread == thread) {
      ++it->second.count;
      ++state_->levels;
      return WAIT_OBJECT_0;
    }
  }
  int fd = state_->fd.get();
  if (timeoutMs == INFINITE_WAIT) {
    while (flock(fd, LOCK_EX) != 0) {
      if (errno != EINTR) {
        if (error) *error = lastWindowsError();
        return WAIT_FAILED;
      }
    }
  } else {
    Clock& clock = systemClock();  // the system's wait, as WaitForSingleObject's
    uint32_t start = clock.tickCount();
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK && errno != EINTR) {
        if (error) *error = lastWindowsError();
        return WAIT_FAILED;
      }
      if (clock.tickCount() - start >= timeoutMs) return WAIT_TIMEOUT;
      clock.sleep(10);
    }
  }
  // A pid left in the file means its writer ended without releasing.
  struct stat info {};
  bool abandoned = fstat(fd, &info) == 0 && info.st_size > 0;
  std::string pid = std::to_string(currentProcessId()) + "\n";
  if (ftruncate(fd, 0) == 0) {
    ssize_t written = pwrite(fd, pid.data(), pid.size(), 0);
    (void)written;
  }
  {
    std::lock_guard<std::mutex> guard(ownersLock);
    owners[state_->path] = Owner{thread, 1, std::make_shared<UniqueFd>(dup(fd))};
  }
  ++state_->levels;
  return abandoned ? WAIT_ABANDONED : WAIT_OBJECT_0;
}

void NamedMutex::release() {
  if (!state_ || state_->levels == 0) return;
  --state_->levels;
  std::shared_ptr<UniqueFd> locked;
  {
    std::lock_guard<std::mutex> guard(ownersLock);
    auto it = owners.find(state_->path);
    if (it == owners.end() || --it->second.count > 0) return;
    locked = it->second.lockedFd;
    owners.erase(it);
  }
  if (locked && locked->valid()) {
    if (ftruncate(locked->get(), 0) != 0) {
      // Released all the same; the next owner then sees it as abandoned.
    }
    flock(locked->get(), LOCK_UN);
  }
}

}  // namespace wc
