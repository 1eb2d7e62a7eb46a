#include "base/errors/os_error.h"
#include "base/system/named_mutex.h"

namespace wc {

NamedMutexLock::NamedMutexLock(const std::wstring& name, const char* function) {
  if (uint32_t error = mutex_.open(name))
    throwOsError(L"create mutex " + name, error, vcallpoint{L"", function, __LINE__});
  uint32_t error = 0;
  waitResult_ = mutex_.wait(INFINITE_WAIT, &error);
  if (waitResult_ != WAIT_OBJECT_0 && waitResult_ != WAIT_ABANDONED) {
    throwOsError(L"WaitForSingleObject failed for mutex " + name, error, vcallpoint{L"", function, __LINE__});
  }
}

NamedMutexLock::~NamedMutexLock() { mutex_.release(); }

}  // namespace wc
