// Read and write failures after a successful open, which only POSIX's
// special files give on demand.

#include <gtest/gtest.h>

#include "base/errors/os_error.h"
#include "redirector/property_file.h"
#include "support/failures.h"

namespace {

using testing_support::failureOf;
using testing_support::holds;

TEST(TextFile, ReadAndWriteFailuresNameTheFile) {
  PropertyFile file;
  file.appendLine("a=b");
  // /dev/full takes no bytes; a process's memory cannot be read at offset 0.
  auto e = failureOf<vosexception>([&] { file.save(L"/dev/full"); });
  EXPECT_TRUE(holds(e.message(), L"at Write to file '/dev/full'"));
  EXPECT_EQ(e.callPoints().at(0).function, "vtextfile<class vkeyvalue<35> >::save");
  e = failureOf<vosexception>([&] { file.load(L"/proc/self/mem"); });
  EXPECT_TRUE(holds(e.message(), L"at Read from file '/proc/self/mem'"));
  EXPECT_EQ(e.callPoints().at(0).function, "vtextfile<class vkeyvalue<35> >::load");
}

}  // namespace
