#!/usr/bin/env bash
# Every test: sets up the machine and the build (setup.sh), then runs the unit,
# CLI and end-to-end tests through ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
ctest --test-dir build --output-on-failure -j2 "$@"
