#!/usr/bin/env bash
# Every test: sets up the machine and the plain build (setup.sh: the programs,
# the end-to-end scenarios and the crash-dump tests), checks that every C++
# file is formatted as .clang-format says (check-format.sh), runs the
# end-to-end scenarios against Tomcat and the crash-dump tests in the plain
# build, then tests the Debian package (test-package.sh: lintian, installed
# into a fresh root, the CLI's smoke scenario with the installed programs,
# purged). The unit and CLI tests run in the instrumented tree, under the
# address and undefined-behaviour sanitizers (sanitize.sh), and in the same
# tree each fuzz target for a bounded time (fuzz.sh; FUZZ_SECONDS, default 20)
# from a fixed seed (FUZZ_SEED, default 1), so that a run repeats the last one;
# scripts/fuzz.sh alone explores anew each time and is how new inputs are found.
# Last, the Windows stage: the programs and the unit tests are cross-compiled,
# every unit and CLI test runs under Wine and the Windows archive is tested
# there (test-windows.sh). Each stage's time is printed at the end. Builds go
# through ccache where it is installed (setup.sh installs it), so a second run
# on the same machine, in any folder, compiles little.
set -euo pipefail
cd "$(dirname "$0")/.."

stage_times=()
stage() {
  local name=$1 start=$SECONDS
  shift
  "$@"
  stage_times+=("$(printf '%-12s %4d s' "$name" $((SECONDS - start)))")
}

source scripts/lib/instrumented-tree.sh
stage setup scripts/setup.sh --target plain_tree_tests
stage format scripts/check-format.sh
stage ctest ctest --test-dir build --output-on-failure -j2 -LE e2e-wine -R "^e2e\\.|$fault_tests" "$@"
stage package scripts/test-package.sh
stage sanitizers scripts/sanitize.sh
stage fuzz env FUZZ_SEED="${FUZZ_SEED:-1}" scripts/fuzz.sh
stage windows scripts/test-windows.sh
printf 'stage times:\n'
printf '  %s\n' "${stage_times[@]}"
printf '  %-12s %4d s\n' total "$SECONDS"
