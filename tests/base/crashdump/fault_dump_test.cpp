// A fault inside a guarded operation of a process with dumps enabled: one
// dump file in the dump directory, which gdb opens at the faulting function,
// and the fault still reported as the operation's failure.

#include <elf.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdio.h>
#include <sys/procfs.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/crashdump/crash_dump_info.h"
#include "base/errors/fault_signals.h"
#include "base/errors/se_translator.h"
#include "base/errors/strict_convert.h"
#include "base/errors/vguard.h"
#include "base/text/convert.h"
#include "support/child_process.h"
#include "support/process_core_file.h"
#include "support/sandbox.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ChildOutcome;
using testing_support::runInChild;

CrashDumpInfo* childDumpInfo = nullptr;

void childDumpHook(void* exceptionPointers) { writeDumpIfEnabled(exceptionPointers, *childDumpInfo); }

[[gnu::noinline]] int crashdumpTestFaultingFunction(volatile int* pointer) { return *pointer + 1; }

[[gnu::noinline]] int crashdumpTestCaller() { return crashdumpTestFaultingFunction(nullptr) * 2; }

// In a child: dumps set up from the settings, a null read in a guard; the
// child reports the failure's message.
ChildOutcome faultInChildWithDumps(bool breakTheDumpDirectory) {
  return runInChild([breakTheDumpDirectory](const auto& report) {
    CrashDumpInfo info;
    childDumpInfo = &info;
    setCrashDumpHook(&childDumpHook);
    installFaultTranslation();
    if (breakTheDumpDirectory) {
      fs::remove_all(cstr(info.location()));
      testing_support::writeFile(cstr(info.location()), "not a directory");
    }
    try {
      vguard("FaultDumpTest::run", 5, L"run()", [] { crashdumpTestCaller(); });
      report("no failure");
    } catch (const vexception& e) {
      report(cstrLenient(e.message()));
    }
    return 0;
  });
}

// Settings with a product root in the sandbox (returned) and further values.
std::string writeSettings(const testing_support::Sandbox& sandbox, const std::string& values) {
  const std::string root = sandbox.path("opt/halvo");
  sandbox.writeRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config]\n\"PRODUCT_ROOT_D\"=\"" + root +
                        "\"\n" + values);
  return root;
}

std::vector<std::string> filesIn(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) names.push_back(entry.path().filename().string());
  return names;
}

std::string commandOutput(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
  pclose(pipe);
  return output;
}

bool gdbInstalled() { return std::system("gdb --version >/dev/null 2>&1") == 0; }

TEST(FaultDump, AFaultInsideAGuardLeavesOneDumpThatGdbOpensAtTheFault) {
  testing_support::Sandbox sandbox;
  const std::string root = writeSettings(sandbox, "");

  ChildOutcome outcome = faultInChildWithDumps(false);
  ASSERT_TRUE(outcome.exited) << "ended by signal " << outcome.signal;
  EXPECT_EQ(outcome.report, "C structured exception: 0xc0000005");

  const std::string location = root + "/etc/crashdumps";
  const std::vector<std::string> dumps = filesIn(location);
  ASSERT_EQ(dumps.size(), 1u);
  EXPECT_EQ(dumps[0].rfind("test_crashdump", 0), 0u) << dumps[0];
  EXPECT_EQ(dumps[0].size(), std::string("test_crashdump20261204_102150.dmp").size()) << dumps[0];
  const std::string dump = location + "/" + dumps[0];

  crashdump_testing::CoreFile core(dump);
  ASSERT_EQ(core.problem(), "");
  const crashdump_testing::CoreNote* status = core.findNote("CORE", NT_PRSTATUS);
  ASSERT_NE(status, nullptr);
  prstatus_t thread{};
  ASSERT_EQ(status->desc.size(), sizeof thread);
  std::memcpy(&thread, status->desc.data(), sizeof thread);
  EXPECT_EQ(thread.pr_cursig, SIGSEGV);
  const crashdump_testing::CoreNote* signalNote = core.findNote("CORE", 0x53494749);
  ASSERT_NE(signalNote, nullptr);
  siginfo_t info{};
  ASSERT_EQ(signalNote->desc.size(), sizeof info);
  std::memcpy(&info, signalNote->desc.data(), sizeof info);
  EXPECT_EQ(info.si_signo, SIGSEGV);
  EXPECT_EQ(info.si_addr, nullptr);

  if (!gdbInstalled()) GTEST_SKIP() << "gdb is not installed: the dump is not opened in the debugger";
  const std::string backtrace =
      commandOutput("gdb -batch -nx -ex bt '" + testing_support::currentProgramPath() + "' '" + dump + "' 2>&1");
  EXPECT_NE(backtrace.find("SIGSEGV"), std::string::npos) << backtrace;
  const size_t fault = backtrace.find("#0 ");
  ASSERT_NE(fault, std::string::npos) << backtrace;
  const std::string firstFrame = backtrace.substr(fault, backtrace.find('\n', fault) - fault);
  EXPECT_NE(firstFrame.find("crashdumpTestFaultingFunction"), std::string::npos) << backtrace;
  EXPECT_NE(backtrace.find("crashdumpTestCaller"), std::string::npos) << backtrace;
}

TEST(FaultDump, ADumpThatCannotBeWrittenStillLetsTheFaultBeReported) {
  testing_support::Sandbox sandbox;
  const std::string root = writeSettings(sandbox, "");

  ChildOutcome outcome = faultInChildWithDumps(true);
  ASSERT_TRUE(outcome.exited) << "ended by signal " << outcome.signal;
  EXPECT_EQ(outcome.report, "C structured exception: 0xc0000005");
  EXPECT_TRUE(fs::is_regular_file(root + "/etc/crashdumps"));
}

}  // namespace
