#pragma once
// Whether the test program runs under Wine rather than on Windows or Linux:
// tests that need what Wine does not implement (service dependencies, the
// event log's contents, icu.dll) skip there, and only there.

#include <gtest/gtest.h>

namespace wc {

bool runningUnderWine();

// Skips the current test under Wine, naming what Wine lacks.
#define WC_SKIP_UNDER_WINE(gap)                              \
  do {                                                       \
    if (runningUnderWine()) GTEST_SKIP() << "Wine: " << gap; \
  } while (false)

}  // namespace wc
