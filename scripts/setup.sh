#!/usr/bin/env bash
# Installs what the build and the tests need (Debian packages, when run as
# root), then configures and builds into build/. Used by demo.sh and test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake g++ make pkg-config libpugixml-dev libicu-dev libgtest-dev libgmock-dev curl python3 gdb
  tomcat10 tomcat10-admin default-jdk-headless clang libclang-rt-14-dev)
source scripts/lib/packages.sh
ensure_packages "${packages[@]}" "$@"

build_type=${WC_BUILD_TYPE:-RelWithDebInfo}
cmake -S . -B build -DCMAKE_BUILD_TYPE="$build_type" >/dev/null
cmake --build build -j"$(nproc)"
