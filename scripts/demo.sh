#!/usr/bin/env bash
# The demo: a sandbox machine (a fresh HCP_SYSTEM_ROOT) with a real Apache
# Tomcat 10.1, driven through wcadmin as the panel drives it, ending with a
# page served by the new host. Leaves nothing running.
#
#   scripts/demo.sh [--windows]
#
# With --windows, the same with the Windows programs under Wine: wcadmin.exe
# and its settings in the registry of a fresh Wine prefix, Tomcat a service of
# Wine's Service Control Manager run by hcpsvc.exe, hcpsrv.exe on its pipe.
set -euo pipefail
cd "$(dirname "$0")/.."
windows=""
case ${1:-} in
  --windows) windows=1 ;;
  "") ;;
  *) echo "usage: $0 [--windows]" >&2; exit 2 ;;
esac
# Only the programs the demo runs: the test programs take most of a full build.
targets=()
for program in wcadmin hcpreg hcpsrv hcpsvc tomcatprovider; do targets+=(--target "$program"); done
if [[ -n $windows ]]; then
  scripts/build-windows.sh "${targets[@]}"
  bin=$PWD/build-windows/bin exe=.exe
else
  scripts/setup.sh "${targets[@]}"
  bin=$PWD/build/bin exe=""
fi
scripts/sandbox.sh packages
host=shop.example.test
aliases=(shop-alias.test second.test)
app=hello

root=$(mktemp -d /tmp/wcadmin-demo-XXXXXX)
if [[ -n $windows ]]; then
  source scripts/lib/wine-prefix.sh
  start_private_wine
fi
finish() {
  local code=$?
  echo
  echo "== taking the sandbox down"
  scripts/sandbox.sh down "$root" || code=1
  [[ -n $windows ]] && stop_private_wine
  rm -rf "$root"
  exit $code
}
trap finish EXIT
trap 'exit 130' INT TERM

step() {
  echo
  echo "== $*"
}

# Runs a program of the build: a Windows one under Wine, with its output's
# line ends made Linux ones.
tool() {
  if [[ -n $windows ]]; then
    local output code=0
    output=$(wine "$bin/$1.exe" "${@:2}") || code=$?
    printf '%s\n' "${output//$'\r'/}"
    return $code
  fi
  "$bin/$1" "${@:2}"
}

# A file of the sandbox as wcadmin takes it (Wine's drive Z: on Windows).
file_argument() {
  if [[ -n $windows ]]; then echo "Z:${1//\//\\}"; else echo "$1"; fi
}

# Runs wcadmin as the panel does and shows what it printed and its exit code.
wcadmin() {
  echo
  echo "\$ wcadmin$exe $*"
  local code=0 output
  output=$(tool wcadmin "$@") || code=$?
  [[ -n $output ]] && echo "$output"
  echo "(exit code $code)"
  ((code == 0)) || { echo "wcadmin failed: the demo stops here" >&2; exit 1; }
}

if [[ -n $windows ]]; then
  step "Windows machine: the Wine prefix $WINEPREFIX, files under $root"
  scripts/sandbox.sh up "$root" "$bin" --windows --watch $$
  echo "settings store: the prefix's registry; the Tomcat service in its Service Control Manager"
else
  step "sandbox machine: HCP_SYSTEM_ROOT=$root"
  scripts/sandbox.sh up "$root" "$bin" --watch $$
  export HCP_SYSTEM_ROOT=$root
  echo "settings store: $root/etc/halvo/registry.reg"
fi
tomcat=$root/opt/tomcat
tool hcpreg query 'HKLM\SYSTEM\CurrentControlSet\Services\Tomcat'
aliases_file=$(file_argument "$root/aliases.txt")

step "the panel's part of Tomcat"
wcadmin --install
wcadmin --install-service --vhost-name=$host --manager-login=admin --password=demo-secret
wcadmin --start
printf '%s\n' "${aliases[@]}" >"$root/aliases.txt"
echo
echo "aliases file: $(paste -sd';' "$root/aliases.txt")"
wcadmin --install-vhost --vhost-name=$host --aliases="$aliases_file"
echo
echo "server.xml, the panel's Service:"
sed -n '/<Service name="HCP"/,/<\/Service>/p' "$tomcat/conf/server.xml"

step "a web application"
archive=$root/var/opt/halvo/var/tomcat/hcp-wars/$host/$app.war
mkdir -p "$(dirname "$archive")"
scripts/sandbox.sh war "$archive" $app
echo "built with jar: $archive ($(stat -c %s "$archive") bytes)"
wcadmin --start-webapp --vhost-name=$host --webapp-name=$app --aliases="$aliases_file"
wcadmin --status
wcadmin --get-webapp-list --vhost-name=$host --started-only

step "the page through Tomcat (it deploys the new link within about 10 s)"
fetch() {
  local name=$1 page="" i
  for i in $(seq 120); do
    page=$(curl -s --max-time 10 -H "Host: $name" "http://127.0.0.1:9080/$app/" || true)
    [[ $page == "application $app answers for $name"* ]] && break
    sleep 0.5
  done
  echo
  echo "\$ curl -H 'Host: $name' http://127.0.0.1:9080/$app/"
  echo "$page"
  [[ $page == "application $app answers for $name"* ]] || { echo "the page was not served" >&2; exit 1; }
}
fetch $host
fetch "${aliases[0]}"
fetch "www.${aliases[1]}"

step "the AJP connector (what the web server's connector talks to)"
exec 3<>/dev/tcp/127.0.0.1/9008
printf '\x12\x34\x00\x01\x0a' >&3
reply=$(timeout 5 head -c 5 <&3 | od -An -tx1 | tr -s ' ')
exec 3<&-
echo "CPing 12 34 00 01 0a -> reply:$reply"
[[ $reply == " 41 42 00 01 09" ]] || { echo "no CPong from 127.0.0.1:9008" >&2; exit 1; }

step "stopping Tomcat"
wcadmin --stop
wcadmin --status

step "debug log of the runs (UTF-16LE, shown as UTF-8, last lines)"
for f in "$root"/opt/halvo/admin/logs/halvolog_debug*.log; do
  [[ -e $f ]] && iconv -f UTF-16LE -t UTF-8 "$f" | sed 's/^\xEF\xBB\xBF//' | tail -n 8
done
