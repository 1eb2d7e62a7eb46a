#!/usr/bin/env bash
# The fuzz targets of tests/fuzz/: built with clang, libFuzzer,
# AddressSanitizer (leaks included) and UndefinedBehaviorSanitizer in the
# instrumented tree (build-instrumented/, shared with scripts/sanitize.sh),
# then each run for a bounded time on a copy of its corpus.
# Fails when a target crashes, leaks, trips a sanitizer, breaks one of its
# expectations, hangs or runs out of memory.
#
#   scripts/fuzz.sh [target...]        (default: every target)
#
# Environment:
#   FUZZ_SECONDS  seconds per target (default 20); 0 runs the corpus once
#   FUZZ_SEED     libFuzzer's seed (default: a new one each run); a fixed seed
#                 explores the same inputs in the same order on every machine,
#                 a slower one seeing a prefix of what a faster one sees
#   INSTRUMENTED_BUILD_DIR, INSTRUMENTED_JOBS  the tree and its compile jobs
#                 (default build-instrumented, 2)
#
# Inputs that failed are kept in <build dir>/artifacts/ with the target's
# name in front; the repository's corpus is never written to.
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/lib/instrumented-tree.sh

seconds=${FUZZ_SECONDS:-20}
seed=${FUZZ_SEED:-0}
if ! [[ $seconds =~ ^[0-9]+$ ]]; then
  echo "FUZZ_SECONDS must be a whole number of seconds, not '$seconds'" >&2
  exit 2
fi
if ! [[ $seed =~ ^[0-9]+$ ]]; then
  echo "FUZZ_SEED must be a whole number, not '$seed'" >&2
  exit 2
fi

build_instrumented_tree --target fuzzers
build=$instrumented_build

if (($#)); then
  targets=("$@")
else
  targets=()
  for dir in tests/fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

work=$(mktemp -d "${TMPDIR:-/tmp}/wcadmin-fuzz-run-XXXXXX")
trap 'rm -rf "$work"' EXIT
artifacts=$PWD/$build/artifacts
mkdir -p "$artifacts"

failed=()
for target in "${targets[@]}"; do
  program=$build/fuzzers/$target
  if [[ ! -x $program ]]; then
    echo "== $target: no such fuzz target in $build/fuzzers" >&2
    failed+=("$target")
    continue
  fi
  corpus=$work/$target/corpus
  mkdir -p "$corpus" "$work/$target/tmp"
  if [[ -d tests/fuzz/corpus/$target ]]; then
    cp -R tests/fuzz/corpus/"$target"/. "$corpus"/
  fi

  if ((seconds == 0)); then
    echo "== $target: the corpus once"
    run=(-runs=0)
  else
    echo "== $target: $seconds s"
    run=(-max_total_time="$seconds")
  fi
  # The targets make their scratch files under TMPDIR; each run gets its own.
  set +e
  TMPDIR=$work/$target/tmp "$program" "${run[@]}" \
    -seed="$seed" -timeout=25 -rss_limit_mb=2048 -max_len=8192 -print_final_stats=1 \
    -artifact_prefix="$artifacts/$target-" "$corpus" >"$work/$target/log" 2>&1
  status=$?
  set -e
  if ((status != 0)); then
    failed+=("$target")
    echo "== $target FAILED (exit code $status):" >&2
    # From the first report on: what failed, where, and the input.
    report=$(sed -n '/expectation failed\|ERROR: \|runtime error/,$p' "$work/$target/log" | grep -v '^    #[0-9]* 0x[0-9a-f]* in fuzzer::' | head -n 80)
    if [[ -n $report ]]; then echo "$report" >&2; else tail -n 60 "$work/$target/log" >&2; fi
  else
    grep -E "^Done|stat::number_of_executed_units" "$work/$target/log" | tail -n 2
  fi
done

if ((${#failed[@]})); then
  echo "Fuzzing failed: ${failed[*]} (failing inputs in $artifacts)" >&2
  exit 1
fi
echo "Fuzzing: every target ran clean (${targets[*]})"
