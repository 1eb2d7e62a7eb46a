#pragma once

namespace wc {

// COM for the whole run, single-threaded, on Windows; nothing on POSIX, where
// nothing the program uses needs it.

class ComApartment {
 public:
  // Throws a COM error when the system refuses; an apartment of another mode
  // that is already there is accepted.
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  [[maybe_unused]] bool uninitializeDue_ = false;  // used by the Windows build
};

}  // namespace wc
