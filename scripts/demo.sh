#!/usr/bin/env bash
# The demo: a sandbox machine (a fresh HCP_SYSTEM_ROOT) with the panel's
# settings, driven through wcadmin. Leaves nothing running.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

bin=$PWD/build/bin
root=$(mktemp -d /tmp/wcadmin-demo-XXXXXX)
export HCP_SYSTEM_ROOT=$root
echo "== sandbox machine: HCP_SYSTEM_ROOT=$root"

mkdir -p "$root/etc/halvo" "$root/opt/tomcat/conf"
cat > "$root/settings.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config]
"PRODUCT_ROOT_D"="$root/opt/halvo"
"PRODUCT_DATA_D"="$root/var/opt/halvo"
"Debug"=dword:00000001

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config\\Packages\\tomcat]
@="tomcat10"

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config\\Packages\\tomcat\\tomcat10]
"dll"="$bin/libtomcatprovider.so"
"TomcatHome"="$root/opt/tomcat"
REG

run() {
  echo
  echo "\$ wcadmin $*"
  set +e
  "$bin/wcadmin" "$@"
  local code=$?
  set -e
  echo
  echo "(exit code $code)"
}

if [[ -x $bin/hcpreg ]]; then
  echo "\$ hcpreg import settings.reg"
  "$bin/hcpreg" import "$root/settings.reg"
else
  cp "$root/settings.reg" "$root/etc/halvo/registry.reg"
fi

run
run --help
run --install-service --vhost-name=example.test --manager-login=admin
run --get-webapp-list --vhost-name=example.test --started-only

echo
echo "== debug log of the run (UTF-16LE, shown as UTF-8):"
for f in "$root"/opt/halvo/admin/logs/halvolog_debug*.log; do
  [[ -e $f ]] && iconv -f UTF-16LE -t UTF-8 "$f" | sed 's/^\xEF\xBB\xBF//' | tail -n 12
done
rm -rf "$root"
