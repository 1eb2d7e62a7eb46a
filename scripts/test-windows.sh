#!/usr/bin/env bash
# The Windows stage of the tests: cross-compiles the programs and the test
# programs into build-windows/ and runs, under Wine, in a fresh Wine prefix
# with one wine server for the whole run:
# - every unit test program and the CLI scenarios (ctest in build-windows;
#   the crash-consistency scenario with 4 kills per command, not 12);
# - the end-to-end scenario of a host's life (install to stop, the page under
#   the host and its aliases, AJP CPing) with wcadmin.exe against Debian's
#   Tomcat as a service of Wine's SCM, driven by the Linux build's scenario
#   program (label e2e-wine in build/; e2e.wine.host_changes runs by hand).
# Then the Windows archive in a fresh prefix of its own (test-package.sh --zip):
# the prefix above holds the settings and services its tests left.
# Arguments go to both ctest runs (e.g. -R test_registry --output-on-failure).
set -euo pipefail
cd "$(dirname "$0")/.."

# Without debug information the cross build is quicker; the
# tests need none (WC_BUILD_TYPE overrides).
WC_BUILD_TYPE=${WC_BUILD_TYPE:-Release} scripts/build-windows.sh -DWC_BUILD_TESTS=ON
# The Linux build runs the end-to-end scenarios (a no-op after test.sh's set-up).
scripts/setup.sh --target plain_tree_tests
source scripts/lib/wine-prefix.sh
start_private_wine
# One prefix is one machine: the test programs share its registry and its
# services, so they run one after another.
WC_CRASH_KILLS=4 ctest --test-dir build-windows -L "^(unit|cli)$" -j1 --output-on-failure "$@"
ctest --test-dir build -R '^e2e\.wine\.webapp_lifecycle$' -j1 --output-on-failure "$@"

# Nothing of the stage may outlive it: no wine server or program of the
# prefix, no Tomcat started from it (its processes inherit WINEPREFIX).
stop_private_wine
trap - EXIT
left=$(grep -lzx "WINEPREFIX=$WINEPREFIX" /proc/[0-9]*/environ 2>/dev/null || true)
if [[ -n $left ]]; then
  echo "test-windows.sh: processes of the Wine prefix are still running:" >&2
  for file in $left; do ps -o pid=,args= -p "$(basename "$(dirname "$file")")" >&2 || true; done
  exit 1
fi
scripts/test-package.sh --zip
