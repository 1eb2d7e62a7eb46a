#pragma once
// A named machine-wide mutex held for the life of the object: the run lock
// that keeps two runs of the program from working at the same time.

#include <cstdint>
#include <string>

#include "base/system/named_mutex.h"

namespace wc {

class ExclusiveTask {
 public:
  ExclusiveTask() = default;
  ~ExclusiveTask();  // releases the mutex if held, closes the handle
  ExclusiveTask(const ExclusiveTask&) = delete;
  ExclusiveTask& operator=(const ExclusiveTask&) = delete;

  // Creates or opens the mutex and waits for it. Returns WAIT_OBJECT_0,
  // WAIT_ABANDONED (a holder ended without releasing; owned now all the same)
  // or WAIT_TIMEOUT. Throws "create mutex <name>" or "WaitForSingleObject
  // failed for mutex <name>".
  uint32_t Initialize(const std::wstring& name, uint32_t timeoutMs);

 private:
  NamedMutex mutex_;
  bool owned_ = false;
};

// The run lock's name.
inline const std::wstring kRunLockName = L"Global\\{6BFC2109-D683-451f-9ED2-D751D614C52B}";

}  // namespace wc
