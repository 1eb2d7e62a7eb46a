#!/usr/bin/env bash
# The unit and CLI tests under AddressSanitizer (leaks included) and
# UndefinedBehaviorSanitizer, in the instrumented tree (build-instrumented/,
# clang; see scripts/lib/instrumented-tree.sh), which also builds the fuzz
# targets for scripts/fuzz.sh. Undefined behaviour stops the program that hit
# it, so every report fails the run.
#
#   scripts/sanitize.sh [ctest arguments...]
#
# Environment: INSTRUMENTED_BUILD_DIR (default build-instrumented),
# INSTRUMENTED_JOBS (parallel compile and test jobs, default 2).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/instrumented-tree.sh
build_instrumented_tree

# halt_on_error: the first report ends the program with a failure.
# detect_leaks: a leak at exit fails the program.
# allow_user_segv_handler: the program's own fault handlers (which turn a
# processor fault inside a guarded operation into an exception) stay in charge
# of the signals they install.
# detect_odr_violation=1: a global defined twice with different sizes is
# reported, one defined alike twice is not: the provider library carries its
# own copy of the base libraries that the programs loading it also link.
# log_path: every report, also of the programs the tests start (wcadmin,
# hcpcheck, hcpsrv, hcpsvc, hcpreg, cleanrun), lands in a file; a report of a
# child whose exit code a test does not look at fails the run as well.
reports=$PWD/$instrumented_build/sanitizer-reports
rm -rf "$reports"
mkdir -p "$reports"
export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1:allow_user_segv_handler=1:strict_string_checks=1:check_initialization_order=1:detect_odr_violation=1:log_path=$reports/asan}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1:log_path=$reports/ubsan}

status=0
ctest --test-dir "$instrumented_build" -L '^(unit|cli)$' --output-on-failure -j"$instrumented_jobs" -E "$fault_tests" "$@" ||
  status=$?

# A report fails the run. Not a report: the leak checker's note that it could
# not read the registers of a thread that was ending (a program the tests
# kill while it exits).
for f in "$reports"/*; do
  [[ -e $f ]] || continue
  grep -qv "Unable to get registers from thread" "$f" || continue
  echo "---- Sanitizer report $f" >&2
  cat "$f" >&2
  status=1
done
exit $status
