#pragma once
// Settings that are read on every call of a busy function (the log's Debug
// switch, the pipe client's connect tries) are read from the store only on
// the first call and on every 16th call after it; the calls in between use
// the value read last.

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <utility>

#include "base/registry/registry.h"

namespace wc {

namespace registry {

// Counts calls and says which of them read the store: those where the count
// before the call is a multiple of 16.
class PollCounter {
 public:
  static constexpr uint32_t kPeriod = 16;
  bool due() { return count_++ % kPeriod == 0; }

 private:
  uint32_t count_ = 0;
};

// A cached value with its reader. The reader gets the cached value to update
// (it leaves it as it is when the setting is missing). An exception from the
// reader reaches the caller of get(), and the cached value stays.
template <class T>
class PolledValue {
 public:
  using Reader = std::function<void(T&)>;
  PolledValue(T initial, Reader reader) : value_(std::move(initial)), reader_(std::move(reader)) {}

  T get() {
    std::lock_guard<std::mutex> guard(lock_);
    if (counter_.due() && !stopped_) {
      T fresh = value_;
      reader_(fresh);
      value_ = std::move(fresh);
    }
    return value_;
  }

  // Keeps the cached value for the rest of the run (after a value that the
  // program cannot interpret, for example).
  void stopPolling() {
    std::lock_guard<std::mutex> guard(lock_);
    stopped_ = true;
  }

 private:
  std::mutex lock_;
  PollCounter counter_;
  bool stopped_ = false;
  T value_;
  Reader reader_;
};

// A polled DWORD setting read with lookupDword: missing keeps the cached
// value; a value of the wrong type or size throws from get().
class PolledDword : public PolledValue<uint32_t> {
 public:
  PolledDword(const Context& context, Root root, std::wstring subKey, std::wstring name, int view, uint32_t initial)
      : PolledValue<uint32_t>(
            initial, [context, root, subKey = std::move(subKey), name = std::move(name), view](uint32_t& value) {
              lookupDword(context, root, subKey, name, value, view);
            }) {}
};

}  // namespace registry

}  // namespace wc
