#pragma once
// The record of one overlapped pipe operation: a manual-reset event that is
// signalled while no operation is outstanding.

#include "base/pipes/pipe_io.h"

namespace wc {

namespace Con {

class Overlapped {
 public:
  // Creates the event signalled; throws "Unable to create event".
  Overlapped();
  // Duplicates the event handle; throws "Unable to duplicate handle".
  Overlapped(const Overlapped& other);
  Overlapped& operator=(const Overlapped&) = delete;

  // Throws "Unable to reset event".
  void reset();
  // Marks the operation done; never throws (a failure leaves the event as it is).
  void signal();
  os::Handle event() const { return event_.get(); }

 private:
  os::UniqueHandle event_;
};

}  // namespace Con

}  // namespace wc
