#!/usr/bin/env bash
# Every test: sets up the machine and the build (setup.sh), runs the unit, CLI
# and end-to-end tests through ctest, then the unit tests again under the
# address and undefined-behaviour sanitizers (sanitize.sh), then each fuzz
# target for a bounded time (fuzz.sh; FUZZ_SECONDS, default 20).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
ctest --test-dir build --output-on-failure -j2 "$@"
scripts/sanitize.sh
scripts/fuzz.sh
