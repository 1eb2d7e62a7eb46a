#!/usr/bin/env bash
# Builds the packages into build-package/ and prints their paths: the Debian
# package from build/ (cpack -G DEB) and the Windows archive from
# build-windows/ (cpack -G ZIP). Only the packaged programs are built.
#
#   scripts/package.sh [--deb | --zip]     both unless one is named
set -euo pipefail
cd "$(dirname "$0")/.."
out=$PWD/build-package

deb=1 zip=1
case ${1:-} in
  --deb) zip="" ;;
  --zip) deb="" ;;
  "") ;;
  *) echo "usage: $0 [--deb | --zip]" >&2; exit 2 ;;
esac
targets=()
for target in wcadmin hcpcheck hcpreg hcpsrv hcpsvc cleanrun tomcatprovider; do targets+=(--target "$target"); done

# cpack in BUILD_DIR with GENERATOR; prints the package's path.
pack() {
  local log
  log=$(cd "$1" && cpack -G "$2" -B "$out" 2>&1) || { echo "$log" >&2; return 1; }
  rm -rf "$out/_CPack_Packages"
  sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' <<<"$log"
}

mkdir -p "$out"
if [[ -n $deb ]]; then
  # dpkg-shlibdeps (dpkg-dev) finds the Depends from the linked libraries.
  scripts/setup.sh "${targets[@]}" dpkg-dev >&2
  pack build DEB
fi
if [[ -n $zip ]]; then
  # The same build type as the Windows test stage, so that neither rebuilds
  # the other's programs.
  WC_BUILD_TYPE=${WC_BUILD_TYPE:-Release} scripts/build-windows.sh "${targets[@]}" >&2
  pack build-windows ZIP
fi
