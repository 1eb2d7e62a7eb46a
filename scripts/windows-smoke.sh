#!/usr/bin/env bash
# Runs the Windows programs of build-windows/bin under Wine in a fresh,
# private Wine prefix: wcadmin.exe without a command fails with the same
# frame and exit code as the Linux build (build/bin) does, hcpsrv.exe answers
# --help, and the provider DLL exports its entry point. The commands
# themselves are proven under Wine by the Windows CLI tests once they exist;
# this only shows that every program starts.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build-windows/bin

source scripts/lib/wine-prefix.sh
start_private_wine

fail() { echo "windows smoke: $*" >&2; exit 1; }

# The frame of a run without a command, with the program's own path taken
# out: the same lines on both platforms.
frame() { tr -d '\r' | sed -E 's/^(   at execute ).*\(/\1PROGRAM(/'; }
root=$(mktemp -d)
linux=$(HCP_SYSTEM_ROOT=$root build/bin/wcadmin 2>/dev/null | frame) || true
rm -rf "$root"
[[ $linux == "Missing command parameter"* ]] || fail "the Linux wcadmin without a command printed: $linux"
status=0
out=$(wine "$bin/wcadmin.exe" 2>/dev/null) || status=$?
[[ $status -eq 1 ]] || fail "wcadmin.exe without a command exited with $status, not 1"
[[ $(frame <<<"$out") == "$linux" ]] || fail "wcadmin.exe without a command printed: $out (Linux: $linux)"

out=$(wine "$bin/hcpsrv.exe" --help 2>/dev/null) || fail "hcpsrv.exe --help failed"
[[ $out == Usage:\ hcpsrv* ]] || fail "hcpsrv.exe --help printed: $out"

for program in hcpreg cleanrun hcpsvc hcpcheck; do
  [[ -f $bin/$program.exe ]] || fail "$bin/$program.exe is missing"
done
exports=$(x86_64-w64-mingw32-objdump -p "$bin/tomcatprovider.dll")
grep -q -E '\] getTomcatProviderInstance$' <<<"$exports" ||
  fail "tomcatprovider.dll does not export getTomcatProviderInstance"
echo "windows smoke: every program built; wcadmin.exe and hcpsrv.exe run under Wine"
