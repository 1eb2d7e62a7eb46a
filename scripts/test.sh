#!/usr/bin/env bash
# Every test: sets up the machine and the build (setup.sh), checks that every
# C++ file is formatted as .clang-format says (check-format.sh), runs the unit,
# CLI and end-to-end tests through ctest, then the unit tests again under the
# address and undefined-behaviour sanitizers (sanitize.sh), then each fuzz
# target for a bounded time (fuzz.sh; FUZZ_SECONDS, default 20) from a fixed
# seed (FUZZ_SEED, default 1), so that a run repeats the last one;
# scripts/fuzz.sh alone explores anew each time and is how new inputs are found.
# Last, the Windows programs are cross-compiled (build-windows.sh) and started
# under Wine (windows-smoke.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/check-format.sh
ctest --test-dir build --output-on-failure -j2 "$@"
scripts/sanitize.sh
FUZZ_SEED=${FUZZ_SEED:-1} scripts/fuzz.sh
scripts/build-windows.sh
scripts/windows-smoke.sh
