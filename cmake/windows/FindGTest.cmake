# The Windows build compiles GoogleTest itself (wc_add_windows_googletest), so
# find_package(GTest) only confirms the targets are there.
if(TARGET GTest::gtest AND TARGET GTest::gmock AND TARGET GTest::gtest_main)
  set(GTest_FOUND TRUE)
  set(GTEST_FOUND TRUE)
else()
  set(GTest_FOUND FALSE)
  if(GTest_FIND_REQUIRED)
    message(FATAL_ERROR "GoogleTest targets are missing: wc_add_windows_googletest() was not called")
  endif()
endif()
