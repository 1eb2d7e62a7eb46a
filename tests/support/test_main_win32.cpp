// The entry of every test program on Windows: the programs are linked with
// -municode, so they start at wmain, which GoogleTest's own main is not.
#include <gtest/gtest.h>

int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
