#pragma once
// The logging switches of the process, shared by every module that carries
// this library (the program and the Tomcat package provider it loads), so that
// a library logs with the same settings as the program. Each module exports a
// slot holding a pointer to the context; the first module to start creates the
// context and publishes it in its own slot, later modules find it there.

#include <atomic>
#include <cstdint>
#include <vector>

namespace wc {

// Bytes 0-5 switch the console for levels 0-5, bytes 6-11 the event log for
// levels 0-5, byte 12 says whether the console has had output yet.
constexpr int kSinkTableSize = 13;

struct ExecuteContext {
  std::atomic<int32_t> references{1};
  // kSinkTableSize bytes, null until the first LogManager of the process fills it.
  unsigned char* sinkTable = nullptr;
  // Owned by the thread-cancellation utility, created on demand; not used by logging.
  void* cancellationRegistry = nullptr;
};

// This module's exported slot.
extern "C" ExecuteContext* m_ExecuteContext_4D93FADE_7B9E_4286_AE07_54AF471F7E22;
inline constexpr const char* kExecuteContextSymbol = "m_ExecuteContext_4D93FADE_7B9E_4286_AE07_54AF471F7E22";

// Adopts the context of the first slot that holds one (one more reference),
// else creates a context and publishes it in `ownSlot`.
ExecuteContext* acquireExecuteContext(const std::vector<ExecuteContext**>& slots, ExecuteContext*& ownSlot);
// Drops one reference; the last one frees the context and clears `ownSlot`
// when it points at it.
void releaseExecuteContext(ExecuteContext* context, ExecuteContext*& ownSlot);

// The slots exported by every module loaded in the process, program first.
std::vector<ExecuteContext**> exportedExecuteContextSlots();

}  // namespace wc
