#!/usr/bin/env bash
# The Windows stage of the tests: cross-compiles the programs and the unit
# test programs into build-windows/ and runs every unit test under Wine, in a
# fresh Wine prefix with one wine server for the whole run. Arguments go to
# ctest (e.g. -R test_registry --output-on-failure).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build-windows.sh -DWC_BUILD_TESTS=ON
source scripts/lib/wine-prefix.sh
start_private_wine
# One prefix is one machine: the test programs share its registry, so they
# run one after another.
ctest --test-dir build-windows -L "^(unit|cli)$" -j1 --output-on-failure "$@"
