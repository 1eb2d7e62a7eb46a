#pragma once
// The operating-system side of the pipe classes, shaped like the Windows
// calls they need (CreateFile on "\\.\pipe\NAME", WaitNamedPipe, events,
// ReadFile/WriteFile on an overlapped handle). Every call answers with 0 or a
// Windows error code. On POSIX a pipe is a SOCK_SEQPACKET Unix socket, so
// each write is one message and each read takes at most one message; I/O is
// non-blocking and readiness is waited for with poll().

#include <cstdint>
#include <string>

#include "base/system/unique_handle.h"

namespace wc {

namespace Con::os {

using Handle = intptr_t;

struct HandleTraits {
  using Handle = intptr_t;
  static intptr_t invalid() { return -1; }
  static void close(intptr_t handle);
};
using UniqueHandle = wc::UniqueHandle<HandleTraits>;

// Access and mode flags with the Windows values.
constexpr uint32_t kGenericRead = 0x80000000;
constexpr uint32_t kGenericWrite = 0x40000000;
constexpr uint32_t kPipeReadModeMessage = 0x00000002;

// Connects to the pipe `pipeName` ("\\.\pipe\NAME"). ERROR_FILE_NOT_FOUND when
// nobody serves it, ERROR_PIPE_BUSY when its server cannot take a client now,
// ERROR_INVALID_NAME for a name that is not a pipe name.
uint32_t openPipe(const std::wstring& pipeName, uint32_t access, UniqueHandle& out);
// Waits up to `timeoutMs` for the pipe to accept a client; false when the pipe
// does not exist or the time ran out. On POSIX the wait is a connection
// attempt, and the connection it makes is kept for the calling thread's next
// openPipe of the same name.
bool waitNamedPipe(const std::wstring& pipeName, uint32_t timeoutMs);
uint32_t setPipeMode(Handle pipe, uint32_t mode);

// Manual-reset events, created signalled or not.
uint32_t createEvent(bool signalled, UniqueHandle& out);
uint32_t setEvent(Handle event);
uint32_t resetEvent(Handle event);
uint32_t duplicateHandle(Handle handle, UniqueHandle& out);

struct IoResult {
  uint32_t error = 0;        // ERROR_IO_PENDING when the pipe is not ready yet
  uint32_t transferred = 0;  // bytes moved when error is 0
};
// One transfer without waiting. A read takes one message; a message longer
// than `count` gives ERROR_MORE_DATA (the rest of it is lost). The other side
// gone: ERROR_BROKEN_PIPE for reads, ERROR_NO_DATA for writes.
IoResult readNow(Handle pipe, void* buffer, uint32_t count);
IoResult writeNow(Handle pipe, const void* buffer, uint32_t count);

// Waits until `pipe` is ready for the transfer or `extra` (an event, may be
// invalid) is signalled: WAIT_OBJECT_0 for the pipe, WAIT_OBJECT_0 + 1 for
// `extra`, WAIT_TIMEOUT, or WAIT_FAILED with the code in `error`. Signals that
// interrupt the wait do not end it early. `timeoutMs` may be INFINITE_WAIT.
uint32_t waitForTransfer(Handle pipe, bool forWrite, Handle extra, uint32_t timeoutMs, uint32_t& error);

}  // namespace Con::os

}  // namespace wc
