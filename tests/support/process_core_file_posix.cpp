#include "support/process_core_file.h"

#include <elf.h>
#include <signal.h>
#include <sys/procfs.h>
#include <sys/syscall.h>
#include <sys/user.h>
#include <unistd.h>

#include <cstring>

#include "support/sandbox.h"

namespace wc {

namespace crashdump_testing {

namespace {
template <class T>
bool readAt(const std::string& bytes, uint64_t offset, T& out) {
  if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) return false;
  std::memcpy(&out, bytes.data() + offset, sizeof(T));
  return true;
}

uint64_t padded(uint64_t size) { return (size + 3) / 4 * 4; }
}  // namespace

CoreFile::CoreFile(const std::string& path) : bytes_(testing_support::readFile(path)) {
  Elf64_Ehdr header;
  if (!readAt(bytes_, 0, header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
      header.e_ident[EI_CLASS] != ELFCLASS64) {
    problem_ = "not a 64-bit ELF file";
    return;
  }
  type_ = header.e_type;
  machine_ = header.e_machine;
  for (uint64_t i = 0; i < header.e_phnum; ++i) {
    Elf64_Phdr ph;
    if (!readAt(bytes_, header.e_phoff + i * header.e_phentsize, ph)) {
      problem_ = "program header outside the file";
      return;
    }
    segments_.push_back({ph.p_type, ph.p_flags, ph.p_offset, ph.p_vaddr, ph.p_filesz, ph.p_memsz});
    if (ph.p_offset + ph.p_filesz > bytes_.size()) {
      problem_ = "segment outside the file";
      return;
    }
    if (ph.p_type != PT_NOTE) continue;
    for (uint64_t at = ph.p_offset; at < ph.p_offset + ph.p_filesz;) {
      Elf64_Nhdr nh;
      if (!readAt(bytes_, at, nh)) {
        problem_ = "note header outside the file";
        return;
      }
      at += sizeof nh;
      CoreNote note;
      note.type = nh.n_type;
      note.name = std::string(bytes_.data() + at, nh.n_namesz > 0 ? nh.n_namesz - 1 : 0);
      at += padded(nh.n_namesz);
      if (at + nh.n_descsz > bytes_.size()) {
        problem_ = "note outside the file";
        return;
      }
      note.desc = bytes_.substr(at, nh.n_descsz);
      at += padded(nh.n_descsz);
      notes_.push_back(std::move(note));
    }
  }
}

const CoreNote* CoreFile::findNote(const std::string& name, uint32_t type) const {
  for (const CoreNote& note : notes_) {
    if (note.name == name && note.type == type) return &note;
  }
  return nullptr;
}

std::optional<std::string> CoreFile::memory(uint64_t address, size_t size) const {
  for (const CoreSegment& s : segments_) {
    if (s.type != PT_LOAD || address < s.address || address + size > s.address + s.fileSize) continue;
    return bytes_.substr(s.offset + (address - s.address), size);
  }
  return std::nullopt;
}

std::string nullReadDumpProblem(const std::string& path, const void* faultingCode) {
  const CoreFile core(path);
  if (!core.problem().empty()) return core.problem();
  const auto status = core.noteAs<prstatus_t>("CORE", NT_PRSTATUS);
  const auto signal = core.noteAs<siginfo_t>("CORE", 0x53494749);  // NT_SIGINFO
  if (!status || !signal) return "no thread status or signal information";
  if (status->pr_pid != static_cast<pid_t>(syscall(SYS_gettid))) return "another thread";
  if (status->pr_cursig != SIGSEGV || signal->si_signo != SIGSEGV) return "not a segmentation fault";
  if (signal->si_addr != nullptr) return "not a null address";
  const auto* registers = reinterpret_cast<const user_regs_struct*>(&status->pr_reg);
#if defined(__x86_64__)
  const uint64_t pc = registers->rip;
#else
  const uint64_t pc = registers->pc;
#endif
  const uint64_t code = reinterpret_cast<uint64_t>(faultingCode);
  if (pc < code || pc > code + 64) return "the instruction pointer lies elsewhere";
  return "";
}

}  // namespace crashdump_testing

}  // namespace wc
