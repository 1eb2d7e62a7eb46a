#include <windows.h>
// The minidump's layout needs the Windows types first.
#include <dbghelp.h>

#include <cstring>

#include "support/process_core_file.h"
#include "support/sandbox.h"

namespace wc {

namespace crashdump_testing {

std::string nullReadDumpProblem(const std::string& path, const void* faultingCode) {
  const std::string bytes = testing_support::readFile(path);
  auto read = [&bytes](uint64_t offset, auto& out) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof out) return false;
    std::memcpy(&out, bytes.data() + offset, sizeof out);
    return true;
  };
  MINIDUMP_HEADER header{};
  if (bytes.compare(0, 4, "MDMP") != 0 || !read(0, header)) return "no minidump signature";
  for (ULONG32 i = 0; i < header.NumberOfStreams; ++i) {
    MINIDUMP_DIRECTORY entry{};
    if (!read(header.StreamDirectoryRva + uint64_t{i} * sizeof entry, entry))
      return "stream directory outside the file";
    if (entry.StreamType != ExceptionStream) continue;
    MINIDUMP_EXCEPTION_STREAM stream{};
    if (!read(entry.Location.Rva, stream)) return "exception stream outside the file";
    const MINIDUMP_EXCEPTION& fault = stream.ExceptionRecord;
    if (stream.ThreadId != GetCurrentThreadId()) return "another thread";
    if (fault.ExceptionCode != EXCEPTION_ACCESS_VIOLATION) return "not an access violation";
    // Parameters of an access violation: 0 for a read, then the address.
    if (fault.NumberParameters < 2 || fault.ExceptionInformation[0] != 0 || fault.ExceptionInformation[1] != 0)
      return "not a read of a null address";
    const uint64_t code = reinterpret_cast<uint64_t>(faultingCode);
    if (fault.ExceptionAddress < code || fault.ExceptionAddress > code + 64)
      return "the exception address lies elsewhere";
    return "";
  }
  return "no exception stream";
}

}  // namespace crashdump_testing

}  // namespace wc
