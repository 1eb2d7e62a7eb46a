#include "base/system/named_mutex.h"

#include <windows.h>

#include "base/system/unique_handle_win32.h"

namespace wc {

struct NamedMutex::State {
  UniqueKernelHandle handle;
  int levels = 0;  // how often this object holds the mutex
};

NamedMutex::NamedMutex() = default;

NamedMutex::~NamedMutex() { close(); }

void NamedMutex::close() {
  while (state_ && state_->levels > 0) release();
  state_.reset();
}

bool NamedMutex::isOpen() const { return state_ && state_->handle.valid(); }

uint32_t NamedMutex::open(const std::wstring& name) {
  auto state = std::make_unique<State>();
  state->handle.reset(CreateMutexW(nullptr, FALSE, name.c_str()));
  if (!state->handle.valid()) return GetLastError();
  close();
  state_ = std::move(state);
  return 0;
}

uint32_t NamedMutex::wait(uint32_t timeoutMs, uint32_t* error) {
  if (!isOpen()) {
    if (error) *error = ERROR_INVALID_HANDLE;
    return WAIT_FAILED;
  }
  // Alertable: queued calls run while waiting, then the wait goes on for
  // the rest of the time.
  const DWORD start = GetTickCount();
  DWORD result;
  for (;;) {
    DWORD remaining = timeoutMs;
    if (timeoutMs != INFINITE) {
      const DWORD elapsed = GetTickCount() - start;
      remaining = elapsed >= timeoutMs ? 0 : timeoutMs - elapsed;
    }
    result = WaitForSingleObjectEx(state_->handle.get(), remaining, TRUE);
    if (result != WAIT_IO_COMPLETION) break;
  }
  if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) {
    ++state_->levels;
  } else if (result == WAIT_FAILED && error) {
    *error = GetLastError();
  }
  return result;
}

void NamedMutex::release() {
  if (!state_ || state_->levels == 0) return;
  --state_->levels;
  ReleaseMutex(state_->handle.get());
}

}  // namespace wc
