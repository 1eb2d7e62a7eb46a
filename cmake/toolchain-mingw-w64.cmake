# Cross-compiles the Windows programs with Debian's mingw-w64 (posix thread
# model, so std::thread and std::mutex work) and runs them under Wine.
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(WC_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${WC_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${WC_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${WC_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${WC_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Wide entry points (wmain) and the W forms of the API; Windows 7 is the
# oldest system the programs run on.
add_compile_definitions(UNICODE _UNICODE _WIN32_WINNT=0x0601 WINVER=0x0601)
add_link_options(-municode)
# With -municode a test program needs wmain, which CMake's compiler checks do
# not have: they build static libraries instead of linking programs.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
# The C and C++ runtimes are linked in, so the programs need no mingw DLLs
# beside them (they import only system DLLs).
add_link_options(-static)

# Tests and try_run() run the built programs under Wine.
find_program(WC_WINE_PROGRAM NAMES wine wine64)
if(WC_WINE_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WC_WINE_PROGRAM})
endif()
