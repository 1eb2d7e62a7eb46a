#!/usr/bin/env bash
# Installs what the build and the tests need (Debian packages, when run as
# root), then configures and builds into build/. Used by demo.sh and test.sh.
#
#   scripts/setup.sh [--target NAME]... [PACKAGE]...
#
# Builds every target, or only the ones named with --target (the demo needs
# its five programs, not the test programs); further arguments are extra
# packages to install.
set -euo pipefail
cd "$(dirname "$0")/.."

targets=()
extra_packages=()
while (($#)); do
  case $1 in
    --target) targets+=("${2:?--target needs a target name}"); shift 2 ;;
    *) extra_packages+=("$1"); shift ;;
  esac
done

packages=(cmake g++ make pkg-config libpugixml-dev libicu-dev libgtest-dev libgmock-dev curl python3 gdb
  tomcat10 tomcat10-admin default-jdk-headless clang libclang-rt-14-dev dpkg-dev lintian ccache ninja-build)
source scripts/lib/packages.sh
ensure_packages "${packages[@]}" "${extra_packages[@]}"

build_type=${WC_BUILD_TYPE:-RelWithDebInfo}
cmake -S . -B build -DCMAKE_BUILD_TYPE="$build_type" >/dev/null
cmake --build build -j"$(nproc)" ${targets[@]+--target "${targets[@]}"}
