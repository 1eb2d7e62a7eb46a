#!/usr/bin/env bash
# Lines of C++ (*.cpp and *.h, as git sees the tree) in the product (src/,
# plugins/, tools/), the tests (tests/) and the benchmarks (bench/), and the
# tests' share of product plus tests.
set -euo pipefail
cd "$(dirname "$0")/.."

lines() {
  local files
  files=$(git ls-files --cached --others --exclude-standard "$@" | grep -E '\.(cpp|h)$' || true)
  [[ -z $files ]] && { echo 0; return; }
  # shellcheck disable=SC2086
  cat $files | wc -l
}

product=$(lines src plugins tools)
tests=$(lines tests)
bench=$(lines bench)
printf '%-9s %7s\n' product "$product" tests "$tests" bench "$bench"
printf 'tests are %s%% of product and tests\n' "$(awk -v t="$tests" -v p="$product" 'BEGIN { printf "%.1f", 100 * t / (t + p) }')"
