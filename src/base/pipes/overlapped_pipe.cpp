#include "base/pipes/overlapped_pipe.h"

#include "base/errors/os_error.h"
#include "base/text/vaformat.h"

namespace wc {

namespace Con {

OverlappedPipe::OverlappedPipe(os::UniqueHandle handle) : Pipe(std::move(handle)) {}

OverlappedPipe::OverlappedPipe(os::UniqueHandle handle, const Overlapped& overlapped)
    : Pipe(std::move(handle)), overlapped_(overlapped) {}

OverlappedPipe::~OverlappedPipe() = default;

void OverlappedPipe::begin(void* buffer, uint32_t count, bool exact, bool forWrite) {
  const char* function = forWrite ? "Con::OverlappedPipe::beginWrite" : "Con::OverlappedPipe::beginRead";
  if (!completed_) throw vexception(L"Previous request has not completed!", VCALLPOINT(L"", function));
  if (finished_) return;
  overlapped_.reset();
  completed_ = true;
  requested_ = count;
  transferred_ = 0;
  buffer_ = buffer;
  writing_ = forWrite;
  os::IoResult r = forWrite ? os::writeNow(handle_.get(), buffer, count) : os::readNow(handle_.get(), buffer, count);
  if (r.error == ERROR_SUCCESS) {
    internalComplete(&r, exact);
  } else if (r.error == ERROR_IO_PENDING) {
    completed_ = false;
  } else if (isEndOfPipe(r.error)) {
    finished_ = true;
    overlapped_.signal();
  } else {
    overlapped_.signal();
    throwOsError(forWrite ? L"Unable to write to pipe" : L"Unable to read from pipe", r.error,
                 VCALLPOINT(L"", function));
  }
}

void OverlappedPipe::beginRead(void* buffer, uint32_t count, bool exact) { begin(buffer, count, exact, false); }

void OverlappedPipe::beginWrite(const void* buffer, uint32_t count, bool exact) {
  begin(const_cast<void*>(buffer), count, exact, true);
}

uint32_t OverlappedPipe::read(void* buffer, uint32_t count, bool exact) {
  beginRead(buffer, count, exact);
  if (!finished_ && !completed_) complete(os::HandleTraits::invalid(), INFINITE_WAIT, exact);
  return finished_ ? 0 : transferred_;
}

uint32_t OverlappedPipe::write(const void* buffer, uint32_t count, bool exact) {
  beginWrite(buffer, count, exact);
  if (!finished_ && !completed_) complete(os::HandleTraits::invalid(), INFINITE_WAIT, exact);
  return finished_ ? 0 : transferred_;
}

bool OverlappedPipe::complete(os::Handle extra, uint32_t timeoutMs, bool exact) {
  if (completed_)
    throw vexception(L"Previous request has completed!", VCALLPOINT(L"", "Con::OverlappedPipe::complete"));
  uint32_t error = 0;
  uint32_t result = os::waitForTransfer(handle_.get(), writing_, extra, timeoutMs, error);
  switch (result) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:
      internalComplete(nullptr, exact);
      return true;
    case WAIT_OBJECT_0 + 1:
    case WAIT_TIMEOUT:
      // Nothing was transferred yet, so cancelling is forgetting the request.
      completed_ = true;
      overlapped_.signal();
      return false;
    case WAIT_FAILED:
      throwOsError(L"Unable to complete pipe operation", error, VCALLPOINT(L"", "Con::OverlappedPipe::complete"));
    default:
      throw vexception(vaformat(L"Unable to complete pipe operation: Unknown state %X", result),
                       VCALLPOINT(L"", "Con::OverlappedPipe::complete"));
  }
}

os::IoResult OverlappedPipe::transferWaiting() {
  for (;;) {
    os::IoResult r =
        writing_ ? os::writeNow(handle_.get(), buffer_, requested_) : os::readNow(handle_.get(), buffer_, requested_);
    if (r.error != ERROR_IO_PENDING) return r;
    // Woken without the transfer being possible yet: wait for it.
    uint32_t error = 0;
    if (os::waitForTransfer(handle_.get(), writing_, os::HandleTraits::invalid(), INFINITE_WAIT, error) == WAIT_FAILED)
      return {error, 0};
  }
}

void OverlappedPipe::internalComplete(const os::IoResult* immediate, bool exact) {
  const uint32_t requested = requested_;
  os::IoResult r = immediate ? *immediate : transferWaiting();
  completed_ = true;
  requested_ = 0;
  overlapped_.signal();
  if (r.error != ERROR_SUCCESS) {
    if (isEndOfPipe(r.error)) {
      finished_ = true;
      return;
    }
    throwOsError(L"Unable to complete pipe operation", r.error,
                 VCALLPOINT(L"", "Con::OverlappedPipe::internalComplete"));
  }
  transferred_ = r.transferred;
  if (exact) checkExactTransfer(transferred_, requested, "Con::OverlappedPipe::internalComplete");
}

void OverlappedPipe::close() {
  Pipe::close();
  completed_ = true;
  requested_ = 0;
}

std::unique_ptr<Pipe> OverlappedPipe::clone() const {
  return std::unique_ptr<Pipe>(new OverlappedPipe(duplicateHandle(), overlapped_));
}

}  // namespace Con

}  // namespace wc
