#pragma once
// Reads back what the dump writer wrote, for checking it: on POSIX an ELF
// core file (CoreFile), on Windows a minidump.

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace wc {

namespace crashdump_testing {

struct CoreNote {
  std::string name;
  uint32_t type = 0;
  std::string desc;
};

struct CoreSegment {
  uint32_t type = 0;
  uint32_t flags = 0;
  uint64_t offset = 0;
  uint64_t address = 0;
  uint64_t fileSize = 0;
  uint64_t memorySize = 0;
};

// Why the dump at `path` is not one of this thread taken at a read through a
// null pointer by the instruction at `faultingCode` (or at most 64 bytes
// after it); empty when it is one.
std::string nullReadDumpProblem(const std::string& path, const void* faultingCode);

// An ELF core file (POSIX).
class CoreFile {
 public:
  // Empty `problem()` when the file parsed as a 64-bit ELF file.
  explicit CoreFile(const std::string& path);

  const std::string& problem() const { return problem_; }
  uint16_t type() const { return type_; }
  uint16_t machine() const { return machine_; }
  const std::vector<CoreSegment>& segments() const { return segments_; }
  const CoreNote* findNote(const std::string& name, uint32_t type) const;
  // A note's descriptor as a T, when there is one of that size.
  template <class T>
  std::optional<T> noteAs(const std::string& name, uint32_t type) const {
    const CoreNote* note = findNote(name, type);
    if (note == nullptr || note->desc.size() != sizeof(T)) return std::nullopt;
    T value;
    std::memcpy(&value, note->desc.data(), sizeof value);
    return value;
  }
  // The dumped bytes at an address, when a segment holds all of them.
  std::optional<std::string> memory(uint64_t address, size_t size) const;

 private:
  std::string bytes_;
  std::string problem_;
  uint16_t type_ = 0;
  uint16_t machine_ = 0;
  std::vector<CoreSegment> segments_;
  std::vector<CoreNote> notes_;
};

}  // namespace crashdump_testing

}  // namespace wc
