// Read and write failures after a successful open, which only POSIX gives on
// demand: a file-size limit, a process's memory, a file cut short.

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>

#include "base/errors/os_error.h"
#include "redirector/property_file.h"
#include "support/failures.h"
#include "support/test_context.h"

namespace wc {

using testing_support::context;

namespace {

using testing_support::failureOf;
using testing_support::holds;

TEST(TextFile, ReadAndWriteFailuresNameTheFileAndLeaveItWhole) {
  std::string dir = testing::TempDir() + "vtextfile.XXXXXX";
  ASSERT_NE(::mkdtemp(dir.data()), nullptr);
  const std::string target = dir + "/workers.properties";
  PropertyFile file;
  file.appendLine("worker.list=ajp13");
  file.save(context, std::wstring(target.begin(), target.end()));
  file.appendLine(std::string(8192, 'a'));

  // Bytes beyond the limit are refused (EFBIG) once the file is open.
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  const struct rlimit small { 4096, old.rlim_max };
  const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const std::wstring wide(target.begin(), target.end());
  auto e = failureOf<vosexception>([&] { file.save(context, wide); });
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, oldHandler);
  EXPECT_TRUE(holds(e.message(), L"at Write to file '" + wide + L"'"));
  EXPECT_EQ(e.callPoints().at(0).function, "vtextfile<class vkeyvalue<35> >::save");
  // The last complete save stands, and no temporary file is left.
  PropertyFile saved;
  saved.load(wide);
  EXPECT_EQ(saved.lines(), std::vector<std::string>{"worker.list=ajp13"});
  // A file cut short after its load (Windows' sharing keeps writers out): the
  // save fails and writes nothing.
  PropertyFile shrunk;
  shrunk.load(wide);
  ASSERT_EQ(::truncate(target.c_str(), 6), 0);
  e = failureOf<vosexception>([&] { shrunk.save(context, wide); });
  EXPECT_TRUE(holds(e.message(), L"at Read from file '" + wide + L"'"));
  EXPECT_EQ(std::filesystem::file_size(target), 6u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
  std::filesystem::remove_all(dir);

  e = failureOf<vosexception>([&] { file.load(L"/proc/self/mem"); });
  EXPECT_TRUE(holds(e.message(), L"at Read from file '/proc/self/mem'"));
  EXPECT_EQ(e.callPoints().at(0).function, "vtextfile<class vkeyvalue<35> >::load");
}

}  // namespace

}  // namespace wc
