#!/usr/bin/env bash
# The benchmark of the commands on servers with thousands of hosts: installs
# what is missing (as root), builds the programs and the benchmark in Release
# mode into build-bench/, runs it and writes the table into bench/RESULTS.md.
# Arguments go to wcbench, e.g. --sizes=1000,10000 --runs=5,3. Not part of
# the tests.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake g++ make pkg-config libpugixml-dev libicu-dev xmlstarlet time sed bash)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  if [[ $(id -u) -ne 0 ]]; then
    echo "Missing Debian packages: ${missing[*]}" >&2
    echo "Run this script as root, or install them with: apt-get install ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing ${missing[*]} ..."
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DWC_BUILD_BENCH=ON -DWC_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j"${WC_BENCH_JOBS:-2}" --target wcbench wcbench-gen
build-bench/bin/wcbench "$@"
