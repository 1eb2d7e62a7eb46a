#pragma once
// The per-host work of the check: its file calls (a listing per host, a look
// at each started link and archive), which wait on the kernel for most of
// their time, and the keys and forms of the hosts' names. Thousands of them
// add up: they run on the machine's processors side by side.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace wc {

// Calls work(i) for every i below `count`, on up to four threads (this one
// among them). Each call must touch only what belongs to its i. When calls
// fail, the failure of the lowest i is rethrown once all have ended: the one
// a loop in order would have met first.
template <class Work>
void parallelFor(size_t count, Work&& work) {
  const size_t threads = std::min<size_t>({std::thread::hardware_concurrency(), 4, count / 64});
  std::atomic<size_t> next{0};
  std::mutex failed;
  size_t firstFailed = count;
  std::exception_ptr failure;
  auto run = [&] {
    for (size_t i = next++; i < count; i = next++) {
      try {
        work(i);
      } catch (...) {
        const std::lock_guard<std::mutex> lock(failed);
        if (i < firstFailed) {
          firstFailed = i;
          failure = std::current_exception();
        }
      }
    }
  };
  std::vector<std::thread> helpers;
  for (size_t t = 1; t < threads; ++t) {
    try {
      helpers.emplace_back(run);
    } catch (const std::system_error&) {
      break;  // no more threads to be had: fewer do it
    }
  }
  run();
  for (std::thread& helper : helpers) helper.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace wc
