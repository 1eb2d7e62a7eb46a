#!/usr/bin/env bash
# The unit suite under AddressSanitizer (leaks included) and
# UndefinedBehaviorSanitizer, built with gcc in build-sanitize/. Undefined
# behaviour stops the test that hit it, so every report fails the run.
#
#   scripts/sanitize.sh [ctest arguments...]
#
# Environment: SANITIZE_BUILD_DIR (default build-sanitize), SANITIZE_JOBS
# (parallel compile and test jobs, default 2).
set -euo pipefail
cd "$(dirname "$0")/.."

# What the build needs, plus gcc's sanitizer runtimes (g++ normally brings
# them along). Installed with apt-get when run as root.
packages=(cmake g++ make pkg-config libpugixml-dev libicu-dev libgtest-dev libgmock-dev libasan8 libubsan1 ninja-build)
source scripts/lib/packages.sh
ensure_packages "${packages[@]}"

build=${SANITIZE_BUILD_DIR:-build-sanitize}
jobs=${SANITIZE_JOBS:-2}

# -fno-sanitize-recover: a UB report aborts the test program instead of
# printing a line and carrying on. The frame pointers keep the reports' stacks
# whole.
CC=gcc CXX=g++ cmake -S . -B "$build" \
  -DCMAKE_BUILD_TYPE=Debug \
  -DWC_BUILD_TESTS=ON \
  -DWC_SANITIZE=address,undefined \
  -DCMAKE_C_FLAGS="-fno-sanitize-recover=undefined" \
  -DCMAKE_CXX_FLAGS="-fno-sanitize-recover=undefined" >/dev/null
cmake --build "$build" -j"$jobs"

# halt_on_error: the first report ends the program with a failure.
# detect_leaks: a leak at exit fails the test program.
# allow_user_segv_handler: the program's own fault handlers (which turn a
# processor fault inside a guarded operation into an exception) stay in charge
# of the signals they install.
# log_path: every report, also of the programs the tests start (wcadmin,
# hcpsrv, hcpsvc, hcpreg), lands in a file; a report of a child whose exit code
# a test does not look at fails the run as well.
reports=$PWD/$build/sanitizer-reports
rm -rf "$reports"
mkdir -p "$reports"
export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1:allow_user_segv_handler=1:strict_string_checks=1:check_initialization_order=1:log_path=$reports/asan}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1:log_path=$reports/ubsan}

# Tests that cannot run under the sanitizers, as ctest name patterns:
excluded=(
  # They fault on purpose (null reads, division by zero, stack overflow,
  # SIGSEGV sent to the process) to test the translation of processor faults
  # and the dumps written for them; the sanitizers report each fault first.
  '^FaultTranslation\.'
  '^FaultSignals\.'
  '^FaultDump\.'
  # A process dump copies every readable mapping, and under AddressSanitizer
  # that includes terabytes of shadow memory: the dump never finishes.
  '^ProcessDump\.'
)
pattern=$(IFS='|'; echo "${excluded[*]}")

status=0
ctest --test-dir "$build" -L unit --output-on-failure -j"$jobs" -E "$pattern" "$@" || status=$?

if compgen -G "$reports/*" >/dev/null; then
  echo "Sanitizer reports:" >&2
  for f in "$reports"/*; do
    echo "---- $f" >&2
    cat "$f" >&2
  done
  status=1
fi
exit $status
