#!/usr/bin/env bash
# The portable core includes no system header, no header of a *_posix or
# *_win32 file, and never tests _WIN32: every OS call lives in a *_posix.cpp or
# *_win32.cpp file, and every *_posix.cpp has its *_win32.cpp twin (which
# library may include from which is check-layers.py's). Prints the offending lines and fails when
# it finds one.
set -uo pipefail
cd "$(dirname "$0")/.."

# The C++ standard library (C++20), pugixml and the test libraries; ICU is
# reached only through the domain-name area's platform files.
allowed='^(algorithm|any|array|atomic|barrier|bit|bitset|cassert|cctype|cerrno|cfloat|charconv|chrono|cinttypes|climits|clocale|cmath|compare|complex|concepts|condition_variable|coroutine|csetjmp|csignal|cstdarg|cstddef|cstdint|cstdio|cstdlib|cstring|ctime|cuchar|cwchar|cwctype|deque|exception|execution|filesystem|format|forward_list|fstream|functional|future|initializer_list|iomanip|ios|iosfwd|iostream|istream|iterator|latch|limits|list|locale|map|memory|memory_resource|mutex|new|numbers|numeric|optional|ostream|queue|random|ranges|ratio|regex|scoped_allocator|semaphore|set|shared_mutex|source_location|span|sstream|stack|stdexcept|stop_token|streambuf|string|string_view|syncstream|system_error|thread|tuple|type_traits|typeindex|typeinfo|unordered_map|unordered_set|utility|valarray|variant|vector|version|pugixml\.hpp|gtest/.*|gmock/.*)$'

status=0
files=$(find src/app src/frame src/check src/provider src/tomcat src/redirector src/names src/base tools plugins -name '*.cpp' -o -name '*.h' | grep -v -E '_(posix|win32)\.(cpp|h)$' | sort)
for f in $files; do
  while IFS= read -r line; do
    header=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*<([^>]+)>.*/\1/' <<<"$line")
    if ! grep -q -E "$allowed" <<<"$header"; then
      echo "$f: system header <$header> in portable code"
      status=1
    fi
  done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*<' "$f")
  if grep -n -E '(^|[^A-Za-z0-9_])_WIN32([^A-Za-z0-9_]|$)|[Ww]indows\.h' "$f"; then
    echo "$f: platform test or Windows header in portable code"
    status=1
  fi
  # A platform file's header serves that platform's files only.
  if grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]*_(posix|win32)\.h"' "$f"; then
    echo "$f: a platform file's header in portable code"
    status=1
  fi
done

# Every seam gets both sides: a POSIX file without its Windows twin is a seam
# the home platform lacks.
while IFS= read -r f; do
  if [[ ! -f ${f%_posix.cpp}_win32.cpp ]]; then
    echo "$f: no ${f%_posix.cpp}_win32.cpp twin"
    status=1
  fi
done < <(find src tools plugins -name '*_posix.cpp' | sort)

[[ $status -eq 0 ]] && echo "portable core: no system headers, no platform file's header, no _WIN32, every *_posix.cpp twinned"
exit $status
