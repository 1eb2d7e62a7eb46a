#!/usr/bin/env bash
# Fails, naming the files, when a C++ file of the repository is not formatted
# as .clang-format says (Debian's clang-format). `scripts/check-format.sh --fix`
# formats them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/packages.sh
ensure_packages clang-format

mapfile -t files < <(git ls-files --cached --others --exclude-standard '*.cpp' '*.h')
if [[ ${1:-} == --fix ]]; then
  clang-format -i "${files[@]}"
  exit 0
fi
# One clang-format run over every file; its complaints start with "file:line:col:".
report=$(clang-format --dry-run --Werror "${files[@]}" 2>&1) || true
mapfile -t unformatted < <(grep -oE '^[^:]+\.(cpp|h):[0-9]+:[0-9]+: (error|warning)' <<<"$report" | cut -d: -f1 | sort -u)
if ((${#unformatted[@]})) || grep -q . <<<"$report"; then
  echo "Not formatted as .clang-format says (run scripts/check-format.sh --fix):" >&2
  if ((${#unformatted[@]})); then printf '  %s\n' "${unformatted[@]}" >&2; else echo "$report" >&2; fi
  exit 1
fi
echo "format: ${#files[@]} files as .clang-format says"
