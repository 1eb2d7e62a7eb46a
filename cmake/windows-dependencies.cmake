# What the Windows build links instead of the Debian packages of the POSIX
# build: pugixml compiled from its Debian source package, and the system
# libraries each area calls into.

set(WC_PUGIXML_SOURCE_DIR "" CACHE PATH "Unpacked pugixml source package (scripts/build-windows.sh fetches it)")
if(NOT EXISTS "${WC_PUGIXML_SOURCE_DIR}/src/pugixml.cpp")
  message(FATAL_ERROR "WC_PUGIXML_SOURCE_DIR='${WC_PUGIXML_SOURCE_DIR}' holds no src/pugixml.cpp; "
                      "scripts/build-windows.sh fetches pugixml's Debian source package and sets it")
endif()
add_library(pugixml STATIC ${WC_PUGIXML_SOURCE_DIR}/src/pugixml.cpp)
target_include_directories(pugixml SYSTEM PUBLIC ${WC_PUGIXML_SOURCE_DIR}/src)
# Third-party code: its warnings are not ours to fix.
target_compile_options(pugixml PRIVATE -w)
add_library(pugixml::pugixml ALIAS pugixml)

# Windows 7 keeps IdnToUnicode in normaliz.dll and EnumProcessModules in
# psapi.dll (kernel32 has them only from later versions).
set(WC_SYSLIBS_system ole32 psapi)
set(WC_SYSLIBS_registry advapi32)
set(WC_SYSLIBS_files advapi32 shlwapi rstrtmgr)
set(WC_SYSLIBS_log advapi32)
set(WC_SYSLIBS_idn normaliz)
set(WC_SYSLIBS_pipes)
# The service host waits for a service's ready port with a TCP connect.
set(WC_SYSLIBS_services advapi32 ws2_32)
# Task Scheduler 1.0: mingw-w64 ships its GUIDs in libmstask.
set(WC_SYSLIBS_removal ole32 oleaut32 uuid mstask)
set(WC_SYSLIBS_crashdump dbghelp)

# GoogleTest built from Debian's sources with this toolchain; the tests find
# it through cmake/windows/FindGTest.cmake.
macro(wc_add_windows_googletest)
  set(WC_GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources (Debian package googletest)")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${WC_GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  list(PREPEND CMAKE_MODULE_PATH ${PROJECT_SOURCE_DIR}/cmake/windows)
endmacro()
