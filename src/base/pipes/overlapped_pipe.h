#pragma once
// A pipe with overlapped I/O: beginRead/beginWrite issue one operation,
// complete() waits for it alertably, with a time limit and an optional extra
// handle that cuts the wait short (the operation is then cancelled).

#include <cstdint>
#include <memory>

#include "base/pipes/overlapped.h"
#include "base/pipes/pipe.h"

namespace wc {

namespace Con {

class OverlappedPipe : public Pipe {
 public:
  explicit OverlappedPipe(os::UniqueHandle handle);
  ~OverlappedPipe() override;

  // beginRead (or beginWrite), then complete() without a time limit while the
  // operation is outstanding. The bytes moved; 0 once the pipe is finished.
  uint32_t read(void* buffer, uint32_t count, bool exact) override;
  uint32_t write(const void* buffer, uint32_t count, bool exact) override;
  void close() override;
  std::unique_ptr<Pipe> clone() const override;

  // Throw "Previous request has not completed!" while an operation is
  // outstanding. The buffer must stay valid until the operation completes.
  void beginRead(void* buffer, uint32_t count, bool exact);
  void beginWrite(const void* buffer, uint32_t count, bool exact);
  // Waits for the outstanding operation, for `extra` (may be invalid) and at
  // most `timeoutMs` (INFINITE_WAIT for none). True when the operation
  // completed; false when `extra` or the time limit ended the wait, which
  // cancels the operation. Throws "Previous request has completed!" when
  // nothing is outstanding.
  bool complete(os::Handle extra, uint32_t timeoutMs, bool exact);

  bool completed() const { return completed_; }
  uint32_t requested() const { return requested_; }
  // Bytes moved by the last completed operation.
  uint32_t transferred() const { return transferred_; }
  // Signalled while no operation is outstanding.
  os::Handle event() const { return overlapped_.event(); }

 protected:
  OverlappedPipe(os::UniqueHandle handle, const Overlapped& overlapped);

 private:
  void begin(void* buffer, uint32_t count, bool exact, bool forWrite);
  // Finishes the operation with the result of its transfer, or performs the
  // transfer now (waiting for the pipe) when there is none yet.
  void internalComplete(const os::IoResult* result, bool exact);
  os::IoResult transferWaiting();

  uint32_t requested_ = 0;
  Overlapped overlapped_;
  bool completed_ = true;
  // The outstanding operation.
  void* buffer_ = nullptr;
  bool writing_ = false;
  uint32_t transferred_ = 0;
};

}  // namespace Con

}  // namespace wc
