#!/usr/bin/env bash
# The benchmark of the commands on servers with thousands of hosts: installs
# what is missing (as root), builds the programs and the benchmark in Release
# mode into build-bench/, runs it and writes the table into bench/RESULTS.md.
# Arguments go to wcbench, e.g. --sizes=1000,10000 --runs=5,3. Not part of
# the tests.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake g++ make ninja-build pkg-config libpugixml-dev libicu-dev xmlstarlet time sed bash)
source scripts/lib/packages.sh
ensure_packages "${packages[@]}"

cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DWC_BUILD_BENCH=ON -DWC_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j"${WC_BENCH_JOBS:-2}" --target wcbench wcbench-gen
build-bench/bin/wcbench "$@"
