#pragma once
// The pipe classes of the management-service channel. Con::Pipe transfers
// synchronously; Con::OverlappedPipe (overlapped_pipe.h) issues an operation
// and completes it later, so that a wait can be cut short.

#include <cstdint>
#include <memory>

#include "base/pipes/pipe_io.h"

namespace wc {

namespace Con {

class Pipe {
 public:
  explicit Pipe(os::UniqueHandle handle);
  virtual ~Pipe();
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;

  // The bytes moved, waiting as long as it takes; 0 once the other side has
  // closed the pipe (`finished` is set then). With `exact`, a transfer of
  // fewer bytes than asked throws "Completed only %d of %d bytes".
  virtual uint32_t read(void* buffer, uint32_t count, bool exact);
  virtual uint32_t write(const void* buffer, uint32_t count, bool exact);
  // Closes the handle; the pipe counts as finished afterwards.
  virtual void close();
  // A second pipe object on a duplicate of the handle; "Unable to duplicate handle".
  virtual std::unique_ptr<Pipe> clone() const;

  bool valid() const { return handle_.valid(); }
  bool finished() const { return finished_; }
  os::Handle handle() const { return handle_.get(); }

 protected:
  os::UniqueHandle duplicateHandle() const;

  os::UniqueHandle handle_;
  bool finished_ = false;
};

// Throws "Completed only %d of %d bytes" (function given) when they differ.
void checkExactTransfer(uint32_t transferred, uint32_t requested, const char* function);

// Codes with which a transfer finds the other side gone.
bool isEndOfPipe(uint32_t code);

}  // namespace Con

}  // namespace wc
