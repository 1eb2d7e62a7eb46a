#!/usr/bin/env bash
# Cross-compiles the Windows programs with mingw-w64 into build-windows/bin/
# (wcadmin.exe, tomcatprovider.dll, hcpreg.exe, hcpsrv.exe, hcpsvc.exe,
# cleanrun.exe). Installs the missing Debian packages (when run as root) and
# fetches pugixml's source package once into build-windows/deps/.
#
#   scripts/build-windows.sh [--target NAME]... [-DVAR=VALUE]...
#
# Builds every target, or only the ones named with --target; -D arguments go
# to the configure step (e.g. -DCMAKE_CXX_COMPILER_LAUNCHER=ccache).
# WC_BUILD_TYPE picks the build type (RelWithDebInfo).
set -euo pipefail
cd "$(dirname "$0")/.."

targets=()
cmake_args=()
while (($#)); do
  case $1 in
    --target) targets+=("${2:?--target needs a target name}"); shift 2 ;;
    -D*) cmake_args+=("$1"); shift ;;
    *) echo "Unknown argument: $1 (usage: $0 [--target NAME]... [-DVAR=VALUE]...)" >&2; exit 2 ;;
  esac
done

source scripts/lib/packages.sh
source scripts/lib/pugixml-source.sh
ensure_packages cmake make ninja-build ccache dpkg-dev g++-mingw-w64-x86-64-posix wine64 wine googletest

build=build-windows
pugixml=$(fetch_pugixml_source "$PWD/$build/deps")

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE="${WC_BUILD_TYPE:-RelWithDebInfo}" -DWC_PUGIXML_SOURCE_DIR="$pugixml" \
  ${cmake_args[@]+"${cmake_args[@]}"} >/dev/null
cmake --build "$build" -j"$(nproc)" ${targets[@]+--target "${targets[@]}"}
