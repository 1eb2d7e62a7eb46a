#pragma once
// The platform's dump writer: one file with the memory and state of this
// process at a fault. On Windows the system's mini-dump writer; on Linux an
// ELF core file that gdb opens with the program (`gdb <program> <dump>`):
// the faulting thread's registers, every readable mapping with its contents,
// the auxiliary vector, the mapped files and a note "HALVO" (type
// kOpenFilesNoteType) with one "fd -> path" line per open descriptor.
//
// Runs while the process handles a fault: it works in fixed buffers and with
// plain system calls as far as it can, and reads memory through the kernel
// so that an unreadable page never faults again.

#include <cstdint>
#include <string>

namespace wc {

constexpr uint32_t kOpenFilesNoteType = 0x48414c46;

// Creates `path` (replacing a file of that name) and writes the dump of type
// `dumpType` into it. `exceptionPointers` is the fault (a FaultContext on
// POSIX, EXCEPTION_POINTERS on Windows); null takes the calling thread as it
// is now. Answers 0 or a Windows error code; a file that could not be written
// completely is removed.
uint32_t writeProcessDump(const std::wstring& path, const void* exceptionPointers, uint32_t dumpType);

}  // namespace wc
