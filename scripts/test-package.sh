#!/usr/bin/env bash
# Tests the packages of scripts/package.sh with the packaged files only.
#
#   scripts/test-package.sh [--deb]
#       The Debian package: lintian reports no error; dpkg --root installs it
#       into a fresh root whose dpkg database holds this machine's entries of
#       the packages it depends on (so its Depends are checked as apt would
#       see them) and adds exactly the package's files (the systemd unit is
#       not enabled). That root is then the panel's machine (HCP_SYSTEM_ROOT):
#       a sandbox with the installed programs runs the smoke scenario;
#       dpkg --purge then takes away exactly what the install added and
#       leaves the panel's settings, server.xml, realm file and archive
#       byte for byte.
#   scripts/test-package.sh --zip
#       The Windows archive, in a fresh Wine prefix of its own: unpacked into
#       a fresh directory, the programs import no DLL that Windows lacks, the
#       archive's settings-example.reg (its paths made the sandbox's) is
#       imported with its hcpreg.exe, its hcpsrv.exe serves, and its
#       wcadmin.exe runs the smoke scenario.
#
# The smoke scenario: --install, --install-service, --install-vhost and
# --status, then hcpcheck finds everything consistent and hcpcheck, hcpreg
# and hcpsrv print the package's version.
set -euo pipefail
cd "$(dirname "$0")/.."

fail() {
  echo "test-package.sh: $*" >&2
  exit 1
}

mode=${1:---deb}
[[ $mode == --deb || $mode == --zip ]] || fail "usage: $0 [--deb | --zip]"
work=$(mktemp -d /tmp/wcadmin-package.XXXXXX)
root=$work/root
mkdir -p "$root"
host=shop.test
cleanup() {
  scripts/sandbox.sh down "$root" || true
  if [[ $mode == --zip ]]; then stop_private_wine; fi
  rm -rf "$work"
}
trap cleanup EXIT

# A program of the package; Windows' line ends are taken out.
program() {
  if [[ $mode == --zip ]]; then
    local out code=0
    out=$(wine "$bin/$1.exe" "${@:2}" 2>&1) || code=$?
    printf '%s\n' "${out//$'\r'/}"
    return $code
  fi
  "$bin/$1" "${@:2}" 2>&1
}

ok() {
  local out
  out=$(program "$@") || fail "$* failed: $out"
  printf '%s\n' "$out"
}

smoke() {
  ok wcadmin --install >/dev/null
  ok wcadmin --install-service --vhost-name=$host --manager-login=admin --password=secret >/dev/null
  ok wcadmin --install-vhost --vhost-name=$host >/dev/null
  [[ $(ok wcadmin --status) == "is stopped" ]] || fail "wcadmin --status: $(program wcadmin --status)"
  grep -q "<Host name=\"$host\"" "$root/opt/tomcat/conf/server.xml" || fail "server.xml has no Host $host"
  local check
  check=$(program hcpcheck) && [[ -z $check ]] || fail "hcpcheck after the scenario: $check"
  local tool
  for tool in hcpcheck hcpreg hcpsrv; do
    [[ $(ok $tool --version) == "$tool $version" ]] || fail "$tool --version: $(program $tool --version)"
  done
  echo "test-package.sh: the smoke scenario passed with the programs of $bin"
}

# Every file and directory under the root but dpkg's own database and log.
root_files() {
  (cd "$root" && find . -mindepth 1 | sed 's|^\./||' | grep -Ev '^var/lib/dpkg(/|$)|^var/log/dpkg\.log$' | sort)
}

test_deb() {
  local deb
  deb=$(scripts/package.sh --deb 2>"$work/package.log") || { cat "$work/package.log"; fail "scripts/package.sh failed"; }
  source scripts/lib/packages.sh
  ensure_packages lintian
  local tags status=0
  tags=$(lintian --fail-on error "$deb" 2>&1) || status=$?
  tags=$(grep -v '^running with root privileges' <<<"$tags" || true)
  echo "lintian $(basename "$deb"): ${tags:-no tags}"
  ((status == 0)) || fail "lintian reports errors"
  version=$(dpkg-deb -f "$deb" Version)
  local depends
  depends=$(dpkg-deb -f "$deb" Depends)
  [[ $depends == *libicu* ]] || fail "Depends lacks ICU, which the programs load at run time: $depends"
  local contents program file
  contents=$(dpkg-deb -c "$deb")
  for program in wcadmin hcpcheck hcpreg hcpsrv hcpsvc cleanrun; do
    grep -q " \./usr/lib/wcadmin/$program$" <<<"$contents" || fail "$program is not in /usr/lib/wcadmin"
    grep -q " \./usr/share/man/man8/$program\.8\.gz$" <<<"$contents" || fail "no manual page for $program"
  done
  for file in usr/lib/wcadmin/libtomcatprovider.so usr/lib/systemd/system/hcpsrv.service usr/share/doc/wcadmin/copyright; do
    grep -q " \./$file$" <<<"$contents" || fail "the package has no /$file"
  done

  # A fresh root: a dpkg database with this machine's status entries of the
  # dependencies and their (empty) file lists.
  local db=$root/var/lib/dpkg name
  mkdir -p "$db/info" "$db/updates"
  for name in $(tr ',|' '\n\n' <<<"$depends" | sed 's/(.*)//' | tr -d ' ' | sort -u); do
    dpkg-query -s "$name" >>"$db/status" || fail "the dependency $name is not installed here"
    echo >>"$db/status"
    touch "$db/info/$(dpkg-query -W -f='${binary:Package}' "$name").list"
  done
  root_files >"$work/before-install"
  # The maintainer scripts run outside the root with DPKG_ROOT set (there is
  # no shell in it); they leave another root's systemd alone.
  dpkg --root="$root" --force-script-chrootless -i "$deb" >"$work/dpkg.log" || { cat "$work/dpkg.log"; fail "dpkg -i failed"; }
  root_files >"$work/after-install"
  awk '{ print $6 }' <<<"$contents" | sed 's|^\./||; s|/$||' | grep . | sort >"$work/package-files"
  comm -13 "$work/before-install" "$work/after-install" >"$work/installed"
  diff "$work/package-files" "$work/installed" >&2 || fail "the install added other files than the package's (above)"

  bin=$root/usr/lib/wcadmin
  for program in wcadmin hcpcheck hcpreg; do
    [[ $(readlink -f "$root/usr/sbin/$program") == "$bin/$program" ]] || fail "/usr/sbin/$program is no link to $bin/$program"
  done
  scripts/sandbox.sh up "$root" "$bin" --watch $$ >/dev/null
  export HCP_SYSTEM_ROOT=$root
  smoke
  # The scheduled removal's command, linked where docs/real-tomcat.md says.
  mkdir -p "$root/opt/halvo/admin/bin"
  ln -s "$bin/cleanrun" "$root/opt/halvo/admin/bin/cleanrun"
  "$root/opt/halvo/admin/bin/cleanrun" --remove-files || fail "cleanrun --remove-files through its link failed"
  local archive=$root/var/opt/halvo/var/tomcat/hcp-wars/$host/hello.war
  mkdir -p "$(dirname "$archive")"
  head -c 100000 /dev/urandom >"$archive"
  scripts/sandbox.sh down "$root"

  local data=("$root/etc/halvo/registry.reg" "$root/opt/tomcat/conf/server.xml"
    "$root/opt/tomcat/hcp-users/$host.xml" "$archive")
  sha256sum "${data[@]}" >"$work/data.sha256" || fail "the scenario left no settings, server.xml, realm file or archive"
  root_files >"$work/before-removal"
  dpkg --root="$root" --force-script-chrootless --purge wcadmin >>"$work/dpkg.log" ||
    { cat "$work/dpkg.log"; fail "dpkg --purge failed"; }
  root_files >"$work/after-removal"
  comm -23 "$work/before-removal" "$work/after-removal" >"$work/removed"
  diff "$work/installed" "$work/removed" >&2 || fail "the purge did not take away exactly what the install added (above)"
  if dpkg-query --admindir="$db" -W wcadmin >/dev/null 2>&1 || compgen -G "$db/info/wcadmin.*" >/dev/null; then
    fail "dpkg's database still knows wcadmin"
  fi
  sha256sum --quiet -c "$work/data.sha256" || fail "the purge changed the panel's data"
  echo "test-package.sh: $(wc -l <"$work/installed") paths installed and purged; settings, server.xml, realm file and archive untouched"
}

# A .reg file (stdin to stdout) with the values named NAME=PATH set to the
# Linux paths as Windows programs see them under Wine (Z:\...).
adjust_settings() {
  local line pair path
  while IFS= read -r line; do
    for pair in "$@"; do
      if [[ $line == "\"${pair%%=*}\"="* ]]; then
        path=Z:${pair#*=}
        path=${path//\//\\}
        line="\"${pair%%=*}\"=\"${path//\\/\\\\}\""$'\r'
      fi
    done
    printf '%s\n' "$line"
  done
}

test_zip() {
  local zip
  zip=$(scripts/package.sh --zip 2>"$work/package.log") || { cat "$work/package.log"; fail "scripts/package.sh failed"; }
  version=$(basename "$zip" | sed -E 's/^wcadmin-(.*)-win64\.zip$/\1/')
  bin=$work/unpacked
  mkdir -p "$bin"
  (cd "$bin" && cmake -E tar xf "$zip")
  bin=$(echo "$bin"/wcadmin-*)
  local expected="README.txt cleanrun.exe hcpcheck.exe hcpreg.exe hcpsrv.exe hcpsvc.exe pugixml-LICENSE.md settings-example.reg tomcatprovider.dll wcadmin.exe"
  [[ $(ls "$bin" | sort | xargs) == "$expected" ]] || fail "the archive holds $(ls "$bin" | xargs), not $expected"
  # Windows 7 has every DLL the programs import: the mingw runtime is linked in.
  local system_dlls=" advapi32 dbghelp kernel32 msvcrt netapi32 normaliz ole32 oleaut32 psapi rstrtmgr shlwapi user32 userenv ws2_32 "
  local file dll
  for file in "$bin"/*.exe "$bin"/*.dll; do
    for dll in $(x86_64-w64-mingw32-objdump -p "$file" | awk '/DLL Name:/ { print tolower($3) }'); do
      [[ $system_dlls == *" ${dll%.dll} "* ]] || fail "$(basename "$file") imports $dll, which Windows may lack"
    done
  done

  source scripts/lib/wine-prefix.sh
  start_private_wine
  trap cleanup EXIT
  adjust_settings "PRODUCT_ROOT_D=$root/opt/halvo" "PRODUCT_DATA_D=$root/var/opt/halvo" \
    "dll=$bin/tomcatprovider.dll" "TomcatHome=$root/opt/tomcat" <"$bin/settings-example.reg" >"$work/settings.reg"
  local settings=$work/settings.reg
  ! grep -q '^"[^"]*"="C:' "$settings" || fail "settings-example.reg has paths the test does not adjust: $(grep '="C:' "$settings")"
  scripts/sandbox.sh up "$root" "$bin" --windows --settings "$settings" --watch $$ >/dev/null
  smoke
  echo "test-package.sh: $(basename "$zip") holds the seven programs and its README and settings, imports only system DLLs"
}

if [[ $mode == --deb ]]; then test_deb; else test_zip; fi
