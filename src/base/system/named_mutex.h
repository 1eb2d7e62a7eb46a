#pragma once
// A machine-wide named mutex in the shape of CreateMutexW/WaitForSingleObject.
// On POSIX: an flock() on run/halvo/locks/<name>.lock under the sandbox root;
// the holder's pid is written into the file while it holds it, so that the
// next owner can tell that a holder died without releasing (WAIT_ABANDONED).
// Like a Windows mutex it is recursive for the thread that owns it.

#include <cstdint>
#include <memory>
#include <string>

namespace wc {

class NamedMutex {
 public:
  NamedMutex();
  ~NamedMutex();  // releases what this object holds, then closes
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;

  // Creates or opens the mutex; 0 or a Windows error code. "Global\" and
  // "Local\" prefixes name the namespace and are not part of the file name.
  uint32_t open(const std::wstring& name);
  // WAIT_OBJECT_0, WAIT_ABANDONED, WAIT_TIMEOUT, or WAIT_FAILED with the error
  // code in `*error`. `timeoutMs` may be INFINITE_WAIT.
  uint32_t wait(uint32_t timeoutMs, uint32_t* error);
  // Releases one level of ownership.
  void release();
  bool isOpen() const;
  // Releases what this object holds and closes the handle.
  void close();

  struct State;

 private:
  std::unique_ptr<State> state_;
};

// Owns one level of a mutex for a scope: opens and waits without a time limit;
// throws the OS-error exception "create mutex <name>" or "WaitForSingleObject
// failed for mutex <name>" with the given function as call point.
class NamedMutexLock {
 public:
  NamedMutexLock(const std::wstring& name, const char* function);
  ~NamedMutexLock();
  NamedMutexLock(const NamedMutexLock&) = delete;
  NamedMutexLock& operator=(const NamedMutexLock&) = delete;
  // The wait result (WAIT_OBJECT_0 or WAIT_ABANDONED).
  uint32_t waitResult() const { return waitResult_; }

 private:
  NamedMutex mutex_;
  uint32_t waitResult_ = 0;
};

}  // namespace wc
