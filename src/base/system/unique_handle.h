#pragma once
// One small owning-handle template for every OS handle (file descriptors,
// HANDLEs, registry keys, libraries): closes on destruction, moves, never copies.

#include <utility>

namespace wc {

// Traits: `using Handle = ...; static Handle invalid(); static void close(Handle);`
template <class Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() : handle_(Traits::invalid()) {}
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle get() const { return handle_; }
  bool valid() const { return handle_ != Traits::invalid(); }
  explicit operator bool() const { return valid(); }
  Handle release() { return std::exchange(handle_, Traits::invalid()); }
  void reset(Handle handle = Traits::invalid()) {
    Handle old = std::exchange(handle_, handle);
    if (old != Traits::invalid()) Traits::close(old);
  }

 private:
  Handle handle_;
};

// File descriptors of POSIX; defined here because several _posix.cpp files
// share them. The portable code never sees a descriptor.
struct FdTraits {
  using Handle = int;
  static int invalid() { return -1; }
  static void close(int fd);
};
using UniqueFd = UniqueHandle<FdTraits>;

}  // namespace wc
