#include "base/pipes/pipe.h"

#include "base/errors/os_error.h"
#include "base/text/vaformat.h"

namespace wc {

namespace Con {

void checkExactTransfer(uint32_t transferred, uint32_t requested, const char* function) {
  if (transferred != requested)
    throw vexception(vaformat(L"Completed only %d of %d bytes", transferred, requested), VCALLPOINT(L"", function));
}

bool isEndOfPipe(uint32_t code) {
  return code == ERROR_HANDLE_EOF || code == ERROR_BROKEN_PIPE || code == ERROR_NO_DATA;
}

Pipe::Pipe(os::UniqueHandle handle) : handle_(std::move(handle)), finished_(!handle_.valid()) {}

Pipe::~Pipe() = default;

namespace {

// One transfer, waiting for the pipe whenever it is not ready.
uint32_t transferWaiting(Pipe& pipe, void* buffer, uint32_t count, bool forWrite, bool& finished) {
  const wchar_t* what = forWrite ? L"Unable to write to pipe" : L"Unable to read from pipe";
  const char* function = forWrite ? "Con::Pipe::write" : "Con::Pipe::read";
  for (;;) {
    os::IoResult r = forWrite ? os::writeNow(pipe.handle(), buffer, count) : os::readNow(pipe.handle(), buffer, count);
    if (r.error == ERROR_SUCCESS) return r.transferred;
    if (isEndOfPipe(r.error)) {
      finished = true;
      return 0;
    }
    if (r.error != ERROR_IO_PENDING) throwOsError(what, r.error, VCALLPOINT(L"", function));
    uint32_t waitError = 0;
    if (os::waitForTransfer(pipe.handle(), forWrite, os::HandleTraits::invalid(), INFINITE_WAIT, waitError) ==
        WAIT_FAILED)
      throwOsError(what, waitError, VCALLPOINT(L"", function));
  }
}

}  // namespace

uint32_t Pipe::read(void* buffer, uint32_t count, bool exact) {
  if (finished_) return 0;
  uint32_t transferred = transferWaiting(*this, buffer, count, false, finished_);
  if (!finished_ && exact) checkExactTransfer(transferred, count, "Con::Pipe::read");
  return transferred;
}

uint32_t Pipe::write(const void* buffer, uint32_t count, bool exact) {
  if (finished_) return 0;
  uint32_t transferred = transferWaiting(*this, const_cast<void*>(buffer), count, true, finished_);
  if (!finished_ && exact) checkExactTransfer(transferred, count, "Con::Pipe::write");
  return transferred;
}

void Pipe::close() {
  handle_.reset();
  finished_ = true;
}

os::UniqueHandle Pipe::duplicateHandle() const {
  os::UniqueHandle copy;
  if (uint32_t code = os::duplicateHandle(handle_.get(), copy))
    throwOsError(L"Unable to duplicate handle", code, VCALLPOINT(L"", "Con::Pipe::clone"));
  return copy;
}

std::unique_ptr<Pipe> Pipe::clone() const { return std::make_unique<Pipe>(duplicateHandle()); }

}  // namespace Con

}  // namespace wc
