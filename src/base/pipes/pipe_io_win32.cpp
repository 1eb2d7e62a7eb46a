// Pipes on Windows: the client end of a named pipe, opened for overlapped
// I/O. The pipe classes above ask for a transfer that is made at once or not
// at all, and wait until one can be made; Windows pipes instead complete a
// transfer that was issued. So each pipe issues at most one read and one
// write of its own, into buffers of its own: a transfer that does not finish
// at once stays issued, waiting is waiting for its completion, and the next
// call of the same transfer collects its result. A wait cut short cancels the
// transfer, so nothing is left writing into memory its caller may reuse.

#include "base/pipes/pipe_io.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "base/pipes/pipe_socket_path.h"
#include "base/system/unique_handle_win32.h"

namespace wc {

namespace Con::os {

namespace {

// What an os::Handle of this file stands for: an event, or a pipe.
class KernelObject {
 public:
  explicit KernelObject(UniqueKernelHandle handle) : handle_(std::move(handle)) {}
  virtual ~KernelObject() = default;
  HANDLE get() const { return handle_.get(); }

 private:
  UniqueKernelHandle handle_;
};

// One direction of a pipe: the transfer issued last and whether its result
// is still to be collected.
struct Transfer {
  UniqueKernelHandle event{CreateEventW(nullptr, TRUE, TRUE, nullptr)};
  OVERLAPPED overlapped{};
  std::vector<char> bytes;  // the copy being written, or the space a read fills
  bool outstanding = false;
  // A read that finished while it was being cancelled: its message is the
  // next read's.
  std::optional<IoResult> kept;
};

class PipeObject : public KernelObject {
 public:
  using KernelObject::KernelObject;
  // The transfers end before their buffers go.
  ~PipeObject() override {
    cancel(read, false);
    cancel(write, false);
  }

  bool ready() const { return read.event && write.event; }

  // Ends the outstanding transfer; a read that got its message anyway keeps
  // it when `keepRead` is set.
  void cancel(Transfer& transfer, bool keepRead);

  Transfer read;
  Transfer write;
};

KernelObject* objectOf(Handle handle) { return reinterpret_cast<KernelObject*>(handle); }

PipeObject* pipeOf(Handle handle) {
  if (handle == HandleTraits::invalid()) return nullptr;
  return dynamic_cast<PipeObject*>(objectOf(handle));
}

Handle handleOf(KernelObject* object) { return reinterpret_cast<Handle>(object); }

// The result of the transfer once it has ended; ERROR_IO_PENDING while it runs.
IoResult collect(HANDLE pipe, Transfer& transfer, bool wait) {
  DWORD count = 0;
  if (GetOverlappedResult(pipe, &transfer.overlapped, &count, wait ? TRUE : FALSE)) {
    transfer.outstanding = false;
    return {ERROR_SUCCESS, count};
  }
  DWORD error = GetLastError();
  if (error == ERROR_IO_INCOMPLETE) return {ERROR_IO_PENDING, 0};
  transfer.outstanding = false;
  return {error, count};
}

// Starts a transfer of transfer.bytes.
IoResult issue(HANDLE pipe, Transfer& transfer, bool forWrite) {
  transfer.overlapped = OVERLAPPED{};
  transfer.overlapped.hEvent = transfer.event.get();
  const DWORD size = static_cast<DWORD>(transfer.bytes.size());
  BOOL done = forWrite ? WriteFile(pipe, transfer.bytes.data(), size, nullptr, &transfer.overlapped)
                       : ReadFile(pipe, transfer.bytes.data(), size, nullptr, &transfer.overlapped);
  if (!done) {
    DWORD error = GetLastError();
    if (error == ERROR_IO_PENDING) {
      transfer.outstanding = true;
      return {ERROR_IO_PENDING, 0};
    }
    if (error != ERROR_MORE_DATA) return {error, 0};
  }
  // Finished at once: the count is in the overlapped record.
  transfer.outstanding = true;
  return collect(pipe, transfer, true);
}

void PipeObject::cancel(Transfer& transfer, bool keepRead) {
  if (!transfer.outstanding) return;
  CancelIoEx(get(), &transfer.overlapped);
  IoResult result = collect(get(), transfer, true);
  if (keepRead && result.error != ERROR_OPERATION_ABORTED) transfer.kept = result;
}

// Reads and drops what is left of a message longer than the reader asked for.
void discardRestOfMessage(HANDLE pipe, Transfer& transfer) {
  constexpr size_t kChunk = 4096;
  IoResult result{ERROR_MORE_DATA, 0};
  while (result.error == ERROR_MORE_DATA) {
    transfer.bytes.assign(kChunk, 0);
    result = issue(pipe, transfer, false);
    if (result.error == ERROR_IO_PENDING) result = collect(pipe, transfer, true);
  }
}

// A pipe whose server disconnected reads as broken and writes as closing,
// as one whose server closed it.
IoResult otherSideGone(IoResult result, bool forWrite) {
  if (result.error == ERROR_PIPE_NOT_CONNECTED) result.error = forWrite ? ERROR_NO_DATA : ERROR_BROKEN_PIPE;
  return result;
}

}  // namespace

void HandleTraits::close(intptr_t handle) { delete objectOf(handle); }

uint32_t openPipe(const std::wstring& pipeName, uint32_t access, UniqueHandle& out) {
  if (!isPlainPipeName(pipeName)) return ERROR_INVALID_NAME;
  // No security quality of service: the server may act as the client, as the
  // management service does to reach files and settings with the caller's
  // rights (with identification only, those opens fail with
  // ERROR_BAD_IMPERSONATION_LEVEL).
  HANDLE pipe = CreateFileW(pipeName.c_str(), access, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (pipe == INVALID_HANDLE_VALUE) return GetLastError();
  auto object = std::make_unique<PipeObject>(UniqueKernelHandle(pipe));
  if (!object->ready()) return GetLastError();
  out.reset(handleOf(object.release()));
  return ERROR_SUCCESS;
}

bool waitNamedPipe(const std::wstring& pipeName, uint32_t timeoutMs) {
  if (!isPlainPipeName(pipeName)) return false;
  // 0 would mean the server's default time-out.
  return WaitNamedPipeW(pipeName.c_str(), std::max<DWORD>(timeoutMs, 1)) != FALSE;
}

uint32_t setPipeMode(Handle pipe, uint32_t mode) {
  PipeObject* object = pipeOf(pipe);
  if (!object) return ERROR_INVALID_HANDLE;
  DWORD value = mode;
  return SetNamedPipeHandleState(object->get(), &value, nullptr, nullptr) ? ERROR_SUCCESS : GetLastError();
}

uint32_t createEvent(bool signalled, UniqueHandle& out) {
  HANDLE event = CreateEventW(nullptr, TRUE, signalled ? TRUE : FALSE, nullptr);
  if (!event) return GetLastError();
  out.reset(handleOf(new KernelObject(UniqueKernelHandle(event))));
  return ERROR_SUCCESS;
}

uint32_t setEvent(Handle event) { return SetEvent(objectOf(event)->get()) ? ERROR_SUCCESS : GetLastError(); }

uint32_t resetEvent(Handle event) { return ResetEvent(objectOf(event)->get()) ? ERROR_SUCCESS : GetLastError(); }

uint32_t duplicateHandle(Handle handle, UniqueHandle& out) {
  if (handle == HandleTraits::invalid()) return ERROR_INVALID_HANDLE;
  HANDLE copy = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), objectOf(handle)->get(), GetCurrentProcess(), &copy, 0, FALSE,
                       DUPLICATE_SAME_ACCESS))
    return GetLastError();
  UniqueKernelHandle owned(copy);
  // A copy of a pipe transfers on its own.
  if (pipeOf(handle)) {
    auto object = std::make_unique<PipeObject>(std::move(owned));
    if (!object->ready()) return GetLastError();
    out.reset(handleOf(object.release()));
  } else {
    out.reset(handleOf(new KernelObject(std::move(owned))));
  }
  return ERROR_SUCCESS;
}

IoResult readNow(Handle pipe, void* buffer, uint32_t count) {
  if (count == 0) return {};
  PipeObject* object = pipeOf(pipe);
  if (!object) return {ERROR_INVALID_HANDLE, 0};
  Transfer& transfer = object->read;
  IoResult result;
  if (transfer.kept) {
    result = *transfer.kept;
    transfer.kept.reset();
  } else if (transfer.outstanding) {
    result = collect(object->get(), transfer, false);
  } else {
    transfer.bytes.assign(count, 0);
    result = issue(object->get(), transfer, false);
  }
  if (result.error == ERROR_IO_PENDING) return result;
  if (result.error != ERROR_SUCCESS && result.error != ERROR_MORE_DATA) return otherSideGone(result, false);
  const uint32_t delivered = std::min(result.transferred, count);
  std::memcpy(buffer, transfer.bytes.data(), delivered);
  const bool longer = result.error == ERROR_MORE_DATA || result.transferred > count;
  // As on every platform, the rest of a longer message is gone: the exchange
  // is out of step.
  if (result.error == ERROR_MORE_DATA) discardRestOfMessage(object->get(), transfer);
  return {longer ? static_cast<uint32_t>(ERROR_MORE_DATA) : ERROR_SUCCESS, delivered};
}

IoResult writeNow(Handle pipe, const void* buffer, uint32_t count) {
  PipeObject* object = pipeOf(pipe);
  if (!object) return {ERROR_INVALID_HANDLE, 0};
  Transfer& transfer = object->write;
  // A write still outstanding is this one, issued before.
  if (transfer.outstanding) return otherSideGone(collect(object->get(), transfer, false), true);
  const char* bytes = static_cast<const char*>(buffer);
  transfer.bytes.assign(bytes, bytes + count);
  return otherSideGone(issue(object->get(), transfer, true), true);
}

uint32_t waitForTransfer(Handle pipe, bool forWrite, Handle extra, uint32_t timeoutMs, uint32_t& error) {
  PipeObject* object = pipeOf(pipe);
  if (!object) {
    error = ERROR_INVALID_HANDLE;
    return WAIT_FAILED;
  }
  Transfer& transfer = forWrite ? object->write : object->read;
  // Nothing issued: the next transfer starts at once.
  if (!transfer.outstanding || transfer.kept) return WAIT_OBJECT_0;
  HANDLE handles[2] = {transfer.event.get(), nullptr};
  DWORD count = 1;
  if (extra != HandleTraits::invalid()) handles[count++] = objectOf(extra)->get();
  DWORD result = WaitForMultipleObjects(count, handles, FALSE, timeoutMs);
  if (result == WAIT_OBJECT_0) return WAIT_OBJECT_0;
  if (result == WAIT_FAILED) {
    error = GetLastError();
    return WAIT_FAILED;
  }
  object->cancel(transfer, true);
  return result == WAIT_ABANDONED_0 + 1 ? WAIT_OBJECT_0 + 1 : result;
}

}  // namespace Con::os

}  // namespace wc
