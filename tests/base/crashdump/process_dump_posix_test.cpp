// The dump writer on POSIX: an ELF core file with the thread, the memory of
// the process, its mapped and open files, which gdb reads.

#include <elf.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/procfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "base/crashdump/crash_dump_info.h"
#include "base/crashdump/process_dump.h"
#include "base/errors/fault_signals.h"
#include "base/errors/se_translator.h"
#include "base/errors/strict_convert.h"
#include "base/errors/vguard.h"
#include "base/errors/win_error_codes.h"
#include "support/child_process.h"
#include "support/failures.h"
#include "support/process_core_file.h"
#include "support/sandbox.h"

namespace wc {

namespace {

using crashdump_testing::CoreFile;
using crashdump_testing::CoreNote;
using testing_support::TempDir;

char globalMarker[] = "global marker 5f1c8e2a: the dump must hold this text";

TEST(ProcessDump, HoldsTheThreadTheMemoryAndTheFilesOfTheProcess) {
  TempDir dir;
  const std::string dumpPath = dir / "now.dmp";
  testing_support::writeFile(dumpPath, "an older dump of the same name, replaced");
  const std::string openedPath = dir / "held-open.txt";
  testing_support::writeFile(openedPath, "x");
  const int heldFd = open(openedPath.c_str(), O_RDONLY);
  ASSERT_GE(heldFd, 0);
  auto heapMarker = std::make_unique<std::string>(5000, 'h');
  (*heapMarker)[0] = 'H';

  const uint32_t result = writeProcessDump(wstr(dumpPath), nullptr, kCrashDumpType);
  close(heldFd);
  ASSERT_EQ(result, ERROR_SUCCESS);

  CoreFile core(dumpPath);
  ASSERT_EQ(core.problem(), "");
  EXPECT_EQ(core.type(), ET_CORE);
#if defined(__x86_64__)
  EXPECT_EQ(core.machine(), EM_X86_64);
#endif
  ASSERT_FALSE(core.segments().empty());
  EXPECT_EQ(core.segments()[0].type, static_cast<uint32_t>(PT_NOTE));

  const auto status = core.noteAs<prstatus_t>("CORE", NT_PRSTATUS);
  ASSERT_TRUE(status);
  EXPECT_EQ(status->pr_pid, static_cast<pid_t>(syscall(SYS_gettid)));
  const auto process = core.noteAs<prpsinfo_t>("CORE", NT_PRPSINFO);
  ASSERT_TRUE(process);
  EXPECT_EQ(process->pr_pid, getpid());
  EXPECT_STREQ(process->pr_fname, "test_crashdump");
  const CoreNote* auxv = core.findNote("CORE", NT_AUXV);
  ASSERT_NE(auxv, nullptr);
  EXPECT_EQ(auxv->desc, testing_support::readFile("/proc/self/auxv"));
  const CoreNote* files = core.findNote("CORE", 0x46494c45);
  ASSERT_NE(files, nullptr);
  EXPECT_NE(files->desc.find(testing_support::currentProgramPath() + '\0'), std::string::npos);

  const CoreNote* openFiles = core.findNote("HALVO", kOpenFilesNoteType);
  ASSERT_NE(openFiles, nullptr);
  EXPECT_NE(openFiles->desc.find(std::to_string(heldFd) + " -> " + openedPath + "\n"), std::string::npos)
      << openFiles->desc;

  EXPECT_EQ(core.memory(reinterpret_cast<uint64_t>(globalMarker), sizeof globalMarker),
            std::string(globalMarker, sizeof globalMarker));
  EXPECT_EQ(core.memory(reinterpret_cast<uint64_t>(heapMarker->data()), heapMarker->size()), *heapMarker);
}

[[gnu::noinline]] int crashdumpTestFaultingFunction(volatile int* pointer) { return *pointer + 1; }
[[gnu::noinline]] int crashdumpTestCaller() { return crashdumpTestFaultingFunction(nullptr) * 2; }

std::string dumpPath;
void dumpHook(void* exceptionPointers) { internalDumpMiniDump(wstr(dumpPath), exceptionPointers, kCrashDumpType); }

TEST(ProcessDump, GdbOpensTheDumpOfAFaultAtTheFaultingFunction) {
  if (std::system("gdb --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "gdb is not installed";
  TempDir dir;
  dumpPath = dir / "fault.dmp";
  installFaultTranslation();
  setCrashDumpHook(&dumpHook);
  testing_support::failureOf([] { vguard("ProcessDump::fault", 1, L"", crashdumpTestCaller); });
  setCrashDumpHook(nullptr);

  std::string backtrace;
  FILE* gdb = popen(
      ("gdb -batch -nx -ex bt '" + testing_support::currentProgramPath() + "' '" + dumpPath + "' 2>&1").c_str(), "r");
  ASSERT_NE(gdb, nullptr);
  char buffer[4096];
  for (size_t got; (got = fread(buffer, 1, sizeof buffer, gdb)) > 0;) backtrace.append(buffer, got);
  pclose(gdb);
  const size_t fault = backtrace.find("#0 ");
  EXPECT_NE(backtrace.find("SIGSEGV"), std::string::npos) << backtrace;
  EXPECT_NE(backtrace.find("crashdumpTestFaultingFunction", fault), std::string::npos) << backtrace;
  EXPECT_LT(backtrace.find("crashdumpTestFaultingFunction", fault), backtrace.find("#1 ")) << backtrace;
  EXPECT_NE(backtrace.find("crashdumpTestCaller"), std::string::npos) << backtrace;
}

}  // namespace

}  // namespace wc
