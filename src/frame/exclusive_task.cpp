#include "frame/exclusive_task.h"

#include "base/errors/os_error.h"

namespace wc {

ExclusiveTask::~ExclusiveTask() {
  if (owned_) mutex_.release();
}

uint32_t ExclusiveTask::Initialize(const std::wstring& name, uint32_t timeoutMs) {
  if (uint32_t error = mutex_.open(name)) {
    throwOsError(L"create mutex " + name, error, VCALLPOINT(L"", "ExclusiveTask::Initialize"));
  }
  uint32_t error = 0;
  uint32_t result = mutex_.wait(timeoutMs, &error);
  if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) {
    owned_ = true;
    return result;
  }
  if (result == WAIT_TIMEOUT) return result;
  mutex_.close();
  throwOsError(L"WaitForSingleObject failed for mutex " + name, error, VCALLPOINT(L"", "ExclusiveTask::Initialize"));
}

}  // namespace wc
