// The dump of this process on Linux: an ELF core file, as the kernel would
// write it, made by the faulting thread itself. Notes: NT_PRSTATUS with the
// registers at the fault (from the signal's ucontext), NT_FPREGSET,
// NT_PRPSINFO, NT_SIGINFO, NT_AUXV, NT_FILE, and "HALVO" with the open file
// descriptors. One PT_LOAD per mapping of /proc/self/maps, with the contents
// of every readable one read through /proc/self/mem (an unreadable page reads
// as zeros instead of faulting again).
//
// Everything is done in static buffers with plain system calls: the heap may
// be what faulted. One dump at a time; a second faulting thread gets
// ERROR_BUSY.

#include <elf.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/procfs.h>
#include <sys/syscall.h>
#include <sys/user.h>
#include <ucontext.h>
#include <unistd.h>
#if defined(__x86_64__)
#include <asm/prctl.h>
#endif

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "base/crashdump/process_dump.h"
#include "base/errors/fault_signals.h"
#include "base/errors/win_error_codes.h"
#include "base/system/errno_posix.h"
#include "base/text/strings.h"

namespace wc {

namespace {

#if defined(__x86_64__)
constexpr uint16_t kMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr uint16_t kMachine = EM_AARCH64;
#else
constexpr uint16_t kMachine = EM_NONE;
#endif

constexpr uint32_t kNoteFile = 0x46494c45;        // NT_FILE
constexpr uint32_t kNoteSignalInfo = 0x53494749;  // NT_SIGINFO

struct Mapping {
  uint64_t start = 0;
  uint64_t end = 0;
  uint64_t offset = 0;
  uint32_t flags = 0;          // PF_R | PF_W | PF_X
  bool dumpContents = false;   // readable and safe to read
  const char* path = nullptr;  // into mapsText, NUL-terminated; "" when anonymous
};

constexpr size_t kMapsCapacity = 1 << 20;
constexpr size_t kMaxMappings = 8192;
constexpr size_t kNotesCapacity = 1 << 20;
constexpr size_t kCopyCapacity = 256 * 1024;
constexpr size_t kPathCapacity = 4 * 4096 + 1;
constexpr size_t kSmallCapacity = 4096;

char mapsText[kMapsCapacity];
Mapping mappings[kMaxMappings];
unsigned char notes[kNotesCapacity];
unsigned char copyBuffer[kCopyCapacity];
char dumpPath[kPathCapacity];
char smallBuffer[kSmallCapacity];
char linkBuffer[kSmallCapacity];
ucontext_t callerContext;
std::atomic_flag writerBusy = ATOMIC_FLAG_INIT;

// --- plain system calls -----------------------------------------------------

int openFile(const char* path, int flags, int mode = 0) {
  long fd;
  do {
    fd = syscall(SYS_openat, AT_FDCWD, path, flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return static_cast<int>(fd);
}

void closeFile(int fd) {
  if (fd >= 0) syscall(SYS_close, fd);
}

// Reads until the buffer is full or the file ends: the byte count or -1.
long readAll(int fd, void* buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    long got = syscall(SYS_read, fd, static_cast<char*>(buffer) + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return static_cast<long>(done);
}

bool writeAll(int fd, const void* buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    long put = syscall(SYS_write, fd, static_cast<const char*>(buffer) + done, size - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<size_t>(put);
  }
  return true;
}

bool readMemory(int memFd, void* buffer, size_t size, uint64_t address) {
  if (address > static_cast<uint64_t>(INT64_MAX)) return false;
  size_t done = 0;
  while (done < size) {
    long got =
        syscall(SYS_pread64, memFd, static_cast<char*>(buffer) + done, size - done, static_cast<off_t>(address + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += static_cast<size_t>(got);
  }
  return true;
}

// A whole small file (of /proc) into `buffer`, NUL-terminated: its length or -1.
long readSmallFile(const char* path, char* buffer, size_t capacity) {
  int fd = openFile(path, O_RDONLY);
  if (fd < 0) return -1;
  long got = readAll(fd, buffer, capacity - 1);
  closeFile(fd);
  if (got < 0) return -1;
  buffer[got] = '\0';
  return got;
}

// --- the wide path as UTF-8 ---------------------------------------------------

bool toUtf8Path(const std::wstring& path, char* out, size_t capacity) {
  size_t used = 0;
  auto put = [&](unsigned value) {
    if (used + 1 >= capacity) return false;
    out[used++] = static_cast<char>(value);
    return true;
  };
  for (wchar_t wc : path) {
    const auto c = static_cast<uint32_t>(wc);
    if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    bool ok;
    if (c < 0x80) {
      ok = put(c);
    } else if (c < 0x800) {
      ok = put(0xC0 | (c >> 6)) && put(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      ok = put(0xE0 | (c >> 12)) && put(0x80 | ((c >> 6) & 0x3F)) && put(0x80 | (c & 0x3F));
    } else {
      ok = put(0xF0 | (c >> 18)) && put(0x80 | ((c >> 12) & 0x3F)) && put(0x80 | ((c >> 6) & 0x3F)) &&
           put(0x80 | (c & 0x3F));
    }
    if (!ok) return false;
  }
  out[used] = '\0';
  return true;
}

// --- /proc/self/maps ------------------------------------------------------------

uint64_t parseHex(char*& p) {
  uint64_t value = 0;
  for (;; ++p) {
    const char c = *p;
    if (c >= '0' && c <= '9') {
      value = value * 16 + static_cast<uint64_t>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      value = value * 16 + static_cast<uint64_t>(c - 'a' + 10);
    } else {
      return value;
    }
  }
}

void skipField(char*& p) {
  while (*p != '\0' && *p != ' ' && *p != '\n') ++p;
  while (*p == ' ') ++p;
}

bool startsWith(const char* text, const char* prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

// Whether reading the mapping is harmless: the kernel's variable pages and
// device memory are left out, as in the kernel's own core files.
bool worthReading(const Mapping& m) {
  if ((m.flags & PF_R) == 0) return false;
  if (startsWith(m.path, "[vvar") || startsWith(m.path, "[vsyscall]")) return false;
  if (startsWith(m.path, "/dev/") && !startsWith(m.path, "/dev/shm/") && !startsWith(m.path, "/dev/zero")) {
    return false;
  }
  return true;
}

// The mappings of this process: their count, or -1.
long readMappings() {
  const long length = readSmallFile("/proc/self/maps", mapsText, sizeof mapsText);
  if (length <= 0) return -1;
  // A listing cut by the buffer ends at its last complete line.
  if (mapsText[length - 1] != '\n') {
    char* lastBreak = std::strrchr(mapsText, '\n');
    if (lastBreak == nullptr) return -1;
    lastBreak[1] = '\0';
  }
  long count = 0;
  char* p = mapsText;
  while (*p != '\0' && count < static_cast<long>(kMaxMappings)) {
    char* lineEnd = std::strchr(p, '\n');
    if (lineEnd == nullptr) break;
    *lineEnd = '\0';
    Mapping m;
    m.start = parseHex(p);
    if (*p == '-') ++p;
    m.end = parseHex(p);
    while (*p == ' ') ++p;
    if (p[0] == 'r') m.flags |= PF_R;
    if (p[1] == 'w') m.flags |= PF_W;
    if (p[2] == 'x') m.flags |= PF_X;
    skipField(p);  // permissions
    m.offset = parseHex(p);
    while (*p == ' ') ++p;
    skipField(p);  // device
    skipField(p);  // inode, then the blanks before the path
    m.path = p;
    m.dumpContents = worthReading(m);
    if (m.end > m.start) mappings[count++] = m;
    p = lineEnd + 1;
  }
  return count;
}

// --- notes ------------------------------------------------------------------------

class NoteWriter {
 public:
  bool overflowed() const { return overflow_; }
  size_t size() const { return used_; }

  void add(const char* name, uint32_t type, const void* desc, size_t size) {
    begin(name, type);
    append(desc, size);
    end();
  }

  void begin(const char* name, uint32_t type) {
    mark_ = used_;
    const size_t nameSize = std::strlen(name) + 1;
    Elf64_Nhdr header{static_cast<Elf64_Word>(nameSize), 0, type};
    append(&header, sizeof header);
    append(name, nameSize);
    pad();
    descStart_ = used_;
  }

  void append(const void* data, size_t size) {
    if (overflow_ || used_ + size > sizeof notes) {
      overflow_ = true;
      return;
    }
    std::memcpy(notes + used_, data, size);
    used_ += size;
  }

  void appendText(const char* text) { append(text, std::strlen(text)); }

  // Ends the note begun last; a note that did not fit is dropped whole.
  void end() {
    if (overflow_) {
      used_ = mark_;
      overflow_ = false;
      return;
    }
    Elf64_Nhdr header;
    std::memcpy(&header, notes + mark_, sizeof header);
    header.n_descsz = static_cast<Elf64_Word>(used_ - descStart_);
    std::memcpy(notes + mark_, &header, sizeof header);
    pad();
    if (overflow_) {
      used_ = mark_;
      overflow_ = false;
    }
  }

 private:
  void pad() {
    static const char zeros[4] = {};
    append(zeros, (4 - used_ % 4) % 4);
  }

  size_t used_ = 0;
  size_t mark_ = 0;
  size_t descStart_ = 0;
  bool overflow_ = false;
};

void appendNumber(NoteWriter& notes, unsigned long value) {
  char text[20];
  notes.append(text, writeDecimal(value, text));
}

void fillRegisters(elf_gregset_t& out, const ucontext_t& context) {
#if defined(__x86_64__)
  const greg_t* g = context.uc_mcontext.gregs;
  user_regs_struct regs{};
  regs.r15 = static_cast<unsigned long long>(g[REG_R15]);
  regs.r14 = static_cast<unsigned long long>(g[REG_R14]);
  regs.r13 = static_cast<unsigned long long>(g[REG_R13]);
  regs.r12 = static_cast<unsigned long long>(g[REG_R12]);
  regs.rbp = static_cast<unsigned long long>(g[REG_RBP]);
  regs.rbx = static_cast<unsigned long long>(g[REG_RBX]);
  regs.r11 = static_cast<unsigned long long>(g[REG_R11]);
  regs.r10 = static_cast<unsigned long long>(g[REG_R10]);
  regs.r9 = static_cast<unsigned long long>(g[REG_R9]);
  regs.r8 = static_cast<unsigned long long>(g[REG_R8]);
  regs.rax = static_cast<unsigned long long>(g[REG_RAX]);
  regs.rcx = static_cast<unsigned long long>(g[REG_RCX]);
  regs.rdx = static_cast<unsigned long long>(g[REG_RDX]);
  regs.rsi = static_cast<unsigned long long>(g[REG_RSI]);
  regs.rdi = static_cast<unsigned long long>(g[REG_RDI]);
  regs.orig_rax = ~0ull;
  regs.rip = static_cast<unsigned long long>(g[REG_RIP]);
  regs.cs = static_cast<unsigned long long>(g[REG_CSGSFS]) & 0xFFFF;
  regs.eflags = static_cast<unsigned long long>(g[REG_EFL]);
  regs.rsp = static_cast<unsigned long long>(g[REG_RSP]);
  regs.ss = 0x2B;  // the user data segment of x86-64 Linux
  unsigned long base = 0;
  if (syscall(SYS_arch_prctl, ARCH_GET_FS, &base) == 0) regs.fs_base = base;
  base = 0;
  if (syscall(SYS_arch_prctl, ARCH_GET_GS, &base) == 0) regs.gs_base = base;
  static_assert(sizeof regs == sizeof out);
  std::memcpy(&out, &regs, sizeof regs);
#elif defined(__aarch64__)
  user_regs_struct regs{};
  for (int i = 0; i < 31; ++i) regs.regs[i] = context.uc_mcontext.regs[i];
  regs.sp = context.uc_mcontext.sp;
  regs.pc = context.uc_mcontext.pc;
  regs.pstate = context.uc_mcontext.pstate;
  static_assert(sizeof regs == sizeof out);
  std::memcpy(&out, &regs, sizeof regs);
#else
  (void)context;
  std::memset(&out, 0, sizeof out);
#endif
}

void addThreadNotes(NoteWriter& notes, const FaultContext* fault, const ucontext_t& context) {
  prstatus_t status{};
  if (fault != nullptr) {
    status.pr_info.si_signo = fault->signal;
    status.pr_cursig = static_cast<short>(fault->signal);
    if (fault->signalInfo != nullptr) {
      status.pr_info.si_code = static_cast<const siginfo_t*>(fault->signalInfo)->si_code;
    }
  }
  status.pr_pid = fault != nullptr && fault->threadId != 0 ? static_cast<pid_t>(fault->threadId)
                                                           : static_cast<pid_t>(syscall(SYS_gettid));
  status.pr_ppid = getppid();
  status.pr_pgrp = getpgid(0);
  status.pr_sid = getsid(0);
  fillRegisters(status.pr_reg, context);
#if defined(__x86_64__)
  status.pr_fpvalid = context.uc_mcontext.fpregs != nullptr ? 1 : 0;
#endif
  notes.add("CORE", NT_PRSTATUS, &status, sizeof status);
#if defined(__x86_64__)
  if (context.uc_mcontext.fpregs != nullptr) {
    static_assert(sizeof(user_fpregs_struct) == sizeof(*context.uc_mcontext.fpregs));
    notes.add("CORE", NT_FPREGSET, context.uc_mcontext.fpregs, sizeof(user_fpregs_struct));
  }
#endif
}

void addProcessInfoNote(NoteWriter& notes) {
  prpsinfo_t info{};
  info.pr_sname = 'R';
  info.pr_uid = getuid();
  info.pr_gid = getgid();
  info.pr_pid = getpid();
  info.pr_ppid = getppid();
  info.pr_pgrp = getpgid(0);
  info.pr_sid = getsid(0);
  long length = readSmallFile("/proc/self/comm", smallBuffer, sizeof smallBuffer);
  if (length > 0) {
    if (smallBuffer[length - 1] == '\n') smallBuffer[--length] = '\0';
    std::memcpy(info.pr_fname, smallBuffer, std::min<size_t>(static_cast<size_t>(length), sizeof info.pr_fname - 1));
  }
  length = readSmallFile("/proc/self/cmdline", smallBuffer, sizeof smallBuffer);
  if (length > 0) {
    size_t copied = std::min<size_t>(static_cast<size_t>(length), sizeof info.pr_psargs - 1);
    for (size_t i = 0; i < copied; ++i) info.pr_psargs[i] = smallBuffer[i] == '\0' ? ' ' : smallBuffer[i];
    while (copied > 0 && info.pr_psargs[copied - 1] == ' ') info.pr_psargs[--copied] = '\0';
  }
  notes.add("CORE", NT_PRPSINFO, &info, sizeof info);
}

void addAuxiliaryVectorNote(NoteWriter& notes) {
  const long length = readSmallFile("/proc/self/auxv", smallBuffer, sizeof smallBuffer);
  if (length > 0) notes.add("CORE", NT_AUXV, smallBuffer, static_cast<size_t>(length));
}

// The file behind each mapping, as the kernel records it: count, page size,
// (start, end, offset in pages) per file mapping, then the names.
void addMappedFilesNote(NoteWriter& notes, long mappingCount) {
  const uint64_t pageSize = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
  uint64_t count = 0;
  for (long i = 0; i < mappingCount; ++i) {
    if (mappings[i].path[0] == '/') ++count;
  }
  notes.begin("CORE", kNoteFile);
  notes.append(&count, sizeof count);
  notes.append(&pageSize, sizeof pageSize);
  for (long i = 0; i < mappingCount; ++i) {
    const Mapping& m = mappings[i];
    if (m.path[0] != '/') continue;
    const uint64_t triple[3] = {m.start, m.end, m.offset / pageSize};
    notes.append(triple, sizeof triple);
  }
  for (long i = 0; i < mappingCount; ++i) {
    if (mappings[i].path[0] != '/') continue;
    notes.append(mappings[i].path, std::strlen(mappings[i].path) + 1);
  }
  notes.end();
}

// One "fd -> path" line per open descriptor.
void addOpenFilesNote(NoteWriter& notes) {
  int directory = openFile("/proc/self/fd", O_RDONLY | O_DIRECTORY);
  if (directory < 0) return;
  notes.begin("HALVO", kOpenFilesNoteType);
  for (;;) {
    long got = syscall(SYS_getdents64, directory, smallBuffer, sizeof smallBuffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    for (long at = 0; at < got;) {
      // struct linux_dirent64: ino (8), off (8), reclen (2), type (1), name.
      unsigned short recordLength;
      std::memcpy(&recordLength, smallBuffer + at + 16, sizeof recordLength);
      const char* name = smallBuffer + at + 19;
      at += recordLength;
      if (name[0] < '0' || name[0] > '9') continue;
      unsigned long fd = 0;
      for (const char* c = name; *c >= '0' && *c <= '9'; ++c) fd = fd * 10 + static_cast<unsigned long>(*c - '0');
      if (fd == static_cast<unsigned long>(directory)) continue;
      char linkName[48] = "/proc/self/fd/";
      std::strncat(linkName, name, sizeof linkName - std::strlen(linkName) - 1);
      long length = syscall(SYS_readlinkat, AT_FDCWD, linkName, linkBuffer, sizeof linkBuffer - 1);
      if (length < 0) length = 0;
      linkBuffer[length] = '\0';
      appendNumber(notes, fd);
      notes.appendText(" -> ");
      notes.append(linkBuffer, static_cast<size_t>(length));
      notes.appendText("\n");
    }
  }
  notes.end();
  closeFile(directory);
}

// --- the file -----------------------------------------------------------------------

uint64_t alignUp(uint64_t value, uint64_t alignment) { return (value + alignment - 1) / alignment * alignment; }

bool writeHeaders(int fd, long mappingCount, uint64_t notesOffset, uint64_t notesSize, uint64_t dataOffset) {
  const uint64_t pageSize = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
  Elf64_Ehdr header{};
  std::memcpy(header.e_ident, ELFMAG, SELFMAG);
  header.e_ident[EI_CLASS] = ELFCLASS64;
  header.e_ident[EI_DATA] = ELFDATA2LSB;
  header.e_ident[EI_VERSION] = EV_CURRENT;
  header.e_ident[EI_OSABI] = ELFOSABI_NONE;
  header.e_type = ET_CORE;
  header.e_machine = kMachine;
  header.e_version = EV_CURRENT;
  header.e_phoff = sizeof(Elf64_Ehdr);
  header.e_ehsize = sizeof(Elf64_Ehdr);
  header.e_phentsize = sizeof(Elf64_Phdr);
  header.e_phnum = static_cast<Elf64_Half>(mappingCount + 1);
  if (!writeAll(fd, &header, sizeof header)) return false;

  Elf64_Phdr note{};
  note.p_type = PT_NOTE;
  note.p_offset = notesOffset;
  note.p_filesz = notesSize;
  note.p_align = 4;
  if (!writeAll(fd, &note, sizeof note)) return false;

  // The load headers are gathered in the copy buffer and written in batches.
  const size_t perBatch = sizeof copyBuffer / sizeof(Elf64_Phdr);
  uint64_t offset = dataOffset;
  for (long first = 0; first < mappingCount; first += static_cast<long>(perBatch)) {
    const long last = std::min<long>(mappingCount, first + static_cast<long>(perBatch));
    auto* batch = reinterpret_cast<Elf64_Phdr*>(copyBuffer);
    for (long i = first; i < last; ++i) {
      const Mapping& m = mappings[i];
      Elf64_Phdr& load = batch[i - first];
      load = Elf64_Phdr{};
      load.p_type = PT_LOAD;
      load.p_flags = m.flags;
      load.p_offset = offset;
      load.p_vaddr = m.start;
      load.p_memsz = m.end - m.start;
      load.p_filesz = m.dumpContents ? m.end - m.start : 0;
      load.p_align = pageSize;
      offset += load.p_filesz;
    }
    if (!writeAll(fd, batch, static_cast<size_t>(last - first) * sizeof(Elf64_Phdr))) return false;
  }
  return true;
}

bool writeMappingContents(int fd, int memFd, const Mapping& m, uint64_t pageSize) {
  for (uint64_t address = m.start; address < m.end;) {
    const size_t size = static_cast<size_t>(std::min<uint64_t>(sizeof copyBuffer, m.end - address));
    if (!readMemory(memFd, copyBuffer, size, address)) {
      // Page by page, so that one unreadable page costs only itself.
      for (size_t at = 0; at < size; at += pageSize) {
        const size_t pageBytes = static_cast<size_t>(std::min<uint64_t>(pageSize, size - at));
        if (!readMemory(memFd, copyBuffer + at, pageBytes, address + at)) std::memset(copyBuffer + at, 0, pageBytes);
      }
    }
    if (!writeAll(fd, copyBuffer, size)) return false;
    address += size;
  }
  return true;
}

uint32_t writeCore(const char* path, const FaultContext* fault) {
  if (kMachine == EM_NONE) return ERROR_NOT_SUPPORTED;
  errno = 0;
  const ucontext_t* context = fault != nullptr ? static_cast<const ucontext_t*>(fault->machineContext) : nullptr;
  if (context == nullptr) {
    getcontext(&callerContext);
    context = &callerContext;
  }

  // The file first: a path that cannot be written costs nothing more.
  const int fd = openFile(path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
  // With O_CREAT only a missing directory gives ENOENT: Windows' "path not found".
  if (fd < 0) return errno == ENOENT ? ERROR_PATH_NOT_FOUND : lastWindowsError();

  const long mappingCount = readMappings();
  if (mappingCount < 0) {
    const uint32_t error = lastWindowsError() != ERROR_SUCCESS ? lastWindowsError() : ERROR_READ_FAULT;
    closeFile(fd);
    syscall(SYS_unlinkat, AT_FDCWD, path, 0);
    return error;
  }

  NoteWriter noteWriter;
  addThreadNotes(noteWriter, fault, *context);
  addProcessInfoNote(noteWriter);
  if (fault != nullptr && fault->signalInfo != nullptr) {
    noteWriter.add("CORE", kNoteSignalInfo, fault->signalInfo, sizeof(siginfo_t));
  }
  addAuxiliaryVectorNote(noteWriter);
  addMappedFilesNote(noteWriter, mappingCount);
  addOpenFilesNote(noteWriter);

  const uint64_t pageSize = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
  const uint64_t notesOffset = sizeof(Elf64_Ehdr) + static_cast<uint64_t>(mappingCount + 1) * sizeof(Elf64_Phdr);
  const uint64_t dataOffset = alignUp(notesOffset + noteWriter.size(), pageSize);

  int memFd = -1;
  uint32_t result = ERROR_SUCCESS;
  bool written = writeHeaders(fd, mappingCount, notesOffset, noteWriter.size(), dataOffset) &&
                 writeAll(fd, notes, noteWriter.size());
  if (written) {
    std::memset(copyBuffer, 0, static_cast<size_t>(dataOffset - notesOffset - noteWriter.size()));
    written = writeAll(fd, copyBuffer, static_cast<size_t>(dataOffset - notesOffset - noteWriter.size()));
  }
  if (written) {
    memFd = openFile("/proc/self/mem", O_RDONLY);
    if (memFd < 0) {
      result = lastWindowsError();
    } else {
      for (long i = 0; written && i < mappingCount; ++i) {
        if (mappings[i].dumpContents) written = writeMappingContents(fd, memFd, mappings[i], pageSize);
      }
    }
  }
  if (!written && result == ERROR_SUCCESS)
    result = lastWindowsError() != ERROR_SUCCESS ? lastWindowsError() : ERROR_WRITE_FAULT;
  closeFile(memFd);
  if (syscall(SYS_close, fd) != 0 && result == ERROR_SUCCESS) result = lastWindowsError();
  if (result != ERROR_SUCCESS) syscall(SYS_unlinkat, AT_FDCWD, path, 0);
  return result;
}

}  // namespace

uint32_t writeProcessDump(const std::wstring& path, const void* exceptionPointers, uint32_t dumpType) {
  (void)dumpType;  // every dump holds full memory, data segments and the open files
  if (path.empty()) return ERROR_INVALID_NAME;
  if (writerBusy.test_and_set(std::memory_order_acquire)) return ERROR_BUSY;
  struct Release {
    ~Release() { writerBusy.clear(std::memory_order_release); }
  } release;
  if (!toUtf8Path(path, dumpPath, sizeof dumpPath)) return ERROR_INVALID_NAME;
  const int savedErrno = errno;
  const uint32_t result = writeCore(dumpPath, static_cast<const FaultContext*>(exceptionPointers));
  errno = savedErrno;
  return result;
}

}  // namespace wc
