#include "panel/worker_keys.h"

#include <gtest/gtest.h>

namespace wc {

// The check matches thousands of keys without building them: each must be
// exactly the key the commands write, never one that only begins or ends
// like it.
TEST(WorkerKeys, AKeyIsTheWorkersOnlyWhenItIsTheKeyTheCommandsBuild) {
  for (const auto& [suffix, value] : kWorkerKeySuffixes) {
    EXPECT_TRUE(isWorkerKey(workerKey("a_test", suffix), "a_test", suffix)) << suffix;
  }
  EXPECT_EQ(workerKeyLines("a_test")[1], (std::pair<std::string, std::string>{"worker.a_test.host", "127.0.0.1"}));
  for (const char* other : {"worker.b_test.port", "worker.a_test.x.port", "worker.a_test_port", "workers.a_test.port",
                            "worker.a_test.portx", "worker.a_tes.port", "worker.a_test.Port", "worker.a_test.port "}) {
    EXPECT_FALSE(isWorkerKey(other, "a_test", ".port")) << other;
  }
}

}  // namespace wc
