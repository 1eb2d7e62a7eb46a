#!/usr/bin/env bash
# A sandbox machine with a real Apache Tomcat 10.1, shared by the demo and the
# end-to-end tests.
#
#   sandbox.sh up ROOT [BIN_DIR] [--windows] [--settings FILE] [--watch PID]
#       Makes ROOT a private machine for wcadmin (HCP_SYSTEM_ROOT=ROOT):
#       the settings store, a private CATALINA_BASE made from the tomcat10
#       package's stock configuration, the "Tomcat" service and a running
#       hcpsrv. With --watch, everything it started is stopped once PID ends.
#       With --windows, BIN_DIR holds the Windows programs and the machine is
#       the Wine prefix of $WINEPREFIX: the settings in its registry (paths
#       as Z:\...), "Tomcat" a service of its Service Control Manager run by
#       hcpsvc.exe, and hcpsrv.exe on \\.\pipe\hcppipe. With --settings, the
#       settings are FILE (a .reg file naming ROOT's directories and BIN_DIR's
#       provider) instead of the sandbox's own.
#   sandbox.sh down ROOT
#       Stops every process that runs for ROOT (Tomcat, its service host,
#       hcpsrv, the watcher) and waits until they are gone; on a machine
#       made with --windows, stops and deletes the Tomcat service first.
#   sandbox.sh catalina ROOT ARGS...
#       Runs the package's catalina.sh with the sandbox's CATALINA_BASE,
#       e.g. "configtest".
#   sandbox.sh catalina-service ROOT
#       The Windows machine's Tomcat service command: catalina.sh run.
#   sandbox.sh war FILE NAME
#       Builds a small web application archive whose page names NAME, the
#       host name it was asked for and its context path.
#   sandbox.sh packages
#       Installs what a real Tomcat needs when it is missing (as root).
#
# Layout under ROOT: etc/halvo/registry.reg (settings), opt/halvo
# (PRODUCT_ROOT_D), var/opt/halvo (PRODUCT_DATA_D), opt/tomcat (Tomcat home
# and CATALINA_BASE), run/halvo (pipes, locks, services), hcpsrv.log.
set -euo pipefail

readonly CATALINA_HOME_DIR=/usr/share/tomcat10
readonly STOCK_CONF=$CATALINA_HOME_DIR/etc
readonly MANAGER_DOC_BASE=/usr/share/tomcat10-admin/manager
# Ports of the panel's connectors (the defaults of --install-service) and of
# the stock "Catalina" service.
readonly HTTP_PORT=9080 AJP_PORT=9008 STOCK_PORT=8080
# A short-lived JVM on a small machine: quick start-up matters more than peak
# speed.
readonly SANDBOX_JAVA_OPTS="-Xms32m -Xmx256m -XX:TieredStopAtLevel=1 -XX:+UseSerialGC -Djava.awt.headless=true"

script_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

die() {
  echo "sandbox.sh: $*" >&2
  exit 1
}

usage() {
  sed -n '2,/^set -euo/p' "${BASH_SOURCE[0]}" | sed '$d; s/^# \{0,1\}//' >&2
  exit 2
}

# ---- packages ---------------------------------------------------------------

source "$(dirname "${BASH_SOURCE[0]}")/lib/packages.sh"

ensure_sandbox_packages() {
  ensure_packages tomcat10 tomcat10-admin curl default-jdk-headless || die "missing Debian packages"
}

# ---- helpers ----------------------------------------------------------------

absolute() { (cd "$1" && pwd); }

port_in_use() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

tomcat_base() { echo "$1/opt/tomcat"; }

catalina_env() {
  export CATALINA_HOME=$CATALINA_HOME_DIR
  CATALINA_BASE=$(tomcat_base "$1")
  export CATALINA_BASE
  export JAVA_OPTS=$SANDBOX_JAVA_OPTS
}

# Processes that run for ROOT: everything started inside the sandbox carries
# HCP_SYSTEM_ROOT=ROOT in its environment (hcpsrv, the service host, Tomcat).
# This script and its callers are left out. Only builtins run here, so that
# the scan sees no short-lived helpers of its own; the result is in
# SANDBOX_PIDS.
collect_sandbox_pids() {
  local root=$1 pid dir entry
  local -A spare=()
  SANDBOX_PIDS=()
  spare[$BASHPID]=1
  pid=$$
  while [[ -n $pid && $pid != 0 && $pid != 1 ]]; do
    spare[$pid]=1
    local line rest
    read -r line 2>/dev/null <"/proc/$pid/stat" || break
    rest=${line##*) }
    read -r _ pid _ <<<"$rest"
  done
  for dir in /proc/[0-9]*; do
    pid=${dir#/proc/}
    [[ -n ${spare[$pid]:-} ]] && continue
    local -a environment=()
    mapfile -d "" environment 2>/dev/null <"$dir/environ" || continue
    for entry in "${environment[@]}"; do
      if [[ $entry == "HCP_SYSTEM_ROOT=$root" ]]; then
        SANDBOX_PIDS+=("$pid")
        break
      fi
    done
  done
}

# hcpreg of the machine: the Linux build's, or the Windows one under Wine.
hcpreg() {
  if [[ -n $windows ]]; then wine "$bin/hcpreg.exe" "$@"; else "$bin/hcpreg" "$@"; fi
}

registry_add() {
  hcpreg add "$@" /f >/dev/null || die "hcpreg add $* failed"
}

# A Linux path as the Windows programs see it under Wine (drive Z:).
windows_path() {
  echo "Z:${1//\//\\}"
}

# ---- up ---------------------------------------------------------------------

cmd_up() {
  (($# >= 1)) || usage
  local root=$1 watch="" settings_file=""
  shift
  bin=$script_dir/../build/bin
  windows=""
  while (($#)); do
    case $1 in
      --watch) watch=${2:?--watch needs a process id}; shift 2 ;;
      --windows) windows=1; shift ;;
      --settings) settings_file=${2:?--settings needs a .reg file}; shift 2 ;;
      *) bin=$1; shift ;;
    esac
  done
  ensure_sandbox_packages
  [[ -d $root ]] || mkdir -p "$root"
  root=$(absolute "$root")
  bin=$(absolute "$bin") || die "no build directory $bin: build first (cmake --build build)"
  local programs=(wcadmin hcpreg hcpsrv hcpsvc libtomcatprovider.so)
  if [[ -n $windows ]]; then
    [[ -n ${WINEPREFIX:-} && -d $WINEPREFIX ]] || die "--windows needs the Wine prefix of the machine in WINEPREFIX"
    programs=(wcadmin.exe hcpreg.exe hcpsrv.exe hcpsvc.exe tomcatprovider.dll)
  fi
  for program in "${programs[@]}"; do
    [[ -e $bin/$program ]] || die "$bin/$program is missing: build first"
  done
  [[ -x $CATALINA_HOME_DIR/bin/catalina.sh ]] || die "$CATALINA_HOME_DIR/bin/catalina.sh is missing (package tomcat10)"
  [[ -d $MANAGER_DOC_BASE ]] || die "$MANAGER_DOC_BASE is missing (package tomcat10-admin)"
  for port in $HTTP_PORT $AJP_PORT $STOCK_PORT; do
    if port_in_use "$port"; then
      die "port $port on 127.0.0.1 is in use already (another Tomcat, or a sandbox that was not taken down?)"
    fi
  done
  export HCP_SYSTEM_ROOT=$root

  # The private Tomcat: the package's stock configuration, nothing else.
  local base
  base=$(tomcat_base "$root")
  mkdir -p "$base"/{conf,logs,temp,webapps,work} "$root/opt/halvo" "$root/var/opt/halvo"
  cp "$STOCK_CONF"/* "$base/conf/"

  # The panel's settings and the Tomcat package with the default provider.
  # ManagerDocBase is read by Tomcat alone, so it stays a Linux path.
  local product_root=$root/opt/halvo product_data=$root/var/opt/halvo provider=$bin/libtomcatprovider.so home=$base
  if [[ -n $windows ]]; then
    echo "$bin" >"$root/windows-bin"
    product_root=$(windows_path "$product_root") product_data=$(windows_path "$product_data")
    provider=$(windows_path "$bin/tomcatprovider.dll") home=$(windows_path "$base")
  fi
  if [[ -n $settings_file ]]; then
    cp "$settings_file" "$root/settings.reg" || die "no settings file $settings_file"
  else
    cat >"$root/settings.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config]
"PRODUCT_ROOT_D"="${product_root//\\/\\\\}"
"PRODUCT_DATA_D"="${product_data//\\/\\\\}"
"Debug"=dword:00000001

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config\\Packages\\tomcat]
@="tomcat10"

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config\\Packages\\tomcat\\tomcat10]
"dll"="${provider//\\/\\\\}"
"TomcatHome"="${home//\\/\\\\}"
"ManagerDocBase"="$MANAGER_DOC_BASE"
REG
  fi
  local settings=$root/settings.reg
  [[ -n $windows ]] && settings=$(windows_path "$settings")
  hcpreg import "$settings" >/dev/null || die "hcpreg import $settings failed"

  # The Tomcat service: catalina.sh in the foreground, ready once the panel's
  # HTTP connector accepts.
  local key='HKLM\SYSTEM\CurrentControlSet\Services\Tomcat'
  if [[ -n $windows ]]; then
    # The service command sets up Tomcat's environment itself; the one
    # variable given marks its processes as the sandbox's.
    wine sc create Tomcat binPath= "$(windows_path "$bin/hcpsvc.exe") $script_dir/sandbox.sh catalina-service $root" \
      >/dev/null || die "the Tomcat service could not be created in $WINEPREFIX"
    registry_add "$key" /v Environment /t REG_MULTI_SZ /s '|' /d "HCP_SYSTEM_ROOT=$root"
  else
    registry_add "$key" /v ImagePath /t REG_SZ /d "$CATALINA_HOME_DIR/bin/catalina.sh run"
    registry_add "$key" /v Environment /t REG_MULTI_SZ /s '|' \
      /d "CATALINA_HOME=$CATALINA_HOME_DIR|CATALINA_BASE=$base|JAVA_OPTS=$SANDBOX_JAVA_OPTS"
  fi
  registry_add "$key" /v ReadyPort /t REG_DWORD /d $HTTP_PORT
  registry_add "$key" /v WaitHint /t REG_DWORD /d 60000
  registry_add "$key" /v StopTimeout /t REG_DWORD /d 20000

  # The management service, in the background for as long as the sandbox.
  local server=("$bin/hcpsrv") serving=(test -S "$root/run/halvo/pipes/hcppipe")
  if [[ -n $windows ]]; then
    server=(wine "$bin/hcpsrv.exe") serving=(grep -q '^hcpsrv: serving' "$root/hcpsrv.log")
  fi
  (cd / && exec setsid "${server[@]}" </dev/null >>"$root/hcpsrv.log" 2>&1) &
  echo $! >"$root/hcpsrv.pid"
  for _ in $(seq 300); do
    "${serving[@]}" 2>/dev/null && break
    kill -0 "$(cat "$root/hcpsrv.pid")" 2>/dev/null || die "hcpsrv ended at once: $(cat "$root/hcpsrv.log")"
    sleep 0.1
  done
  "${serving[@]}" 2>/dev/null || die "hcpsrv did not open its pipe within 30 s"

  if [[ -n $watch ]]; then
    # In a session of its own, so that it outlives the caller's process group.
    setsid "$script_dir/sandbox.sh" watch "$root" "$watch" </dev/null >/dev/null 2>&1 &
  fi
  echo "sandbox.sh: machine ready at $root (CATALINA_BASE=$base)"
}

# ---- down -------------------------------------------------------------------

cmd_down() {
  (($# == 1)) || usage
  local root
  root=$(absolute "$1" 2>/dev/null) || root=$1
  if [[ -f $root/windows-bin && -n ${WINEPREFIX:-} && -d $WINEPREFIX ]]; then
    # Through the Service Control Manager, as the panel would stop it, so
    # that the next machine in the prefix can define the service anew.
    wine sc stop Tomcat >/dev/null 2>&1 || true
    local state
    for _ in $(seq 300); do
      state=$(wine sc query Tomcat 2>/dev/null) || break
      [[ $state == *STOPPED* ]] && break
      sleep 0.1
    done
    wine sc delete Tomcat >/dev/null 2>&1 || true
  fi
  collect_sandbox_pids "$root"
  ((${#SANDBOX_PIDS[@]})) || return 0
  # SIGTERM first: the service host stops Tomcat's process group in order.
  kill -TERM "${SANDBOX_PIDS[@]}" 2>/dev/null || true
  for _ in $(seq 150); do
    collect_sandbox_pids "$root"
    ((${#SANDBOX_PIDS[@]})) || return 0
    sleep 0.1
  done
  echo "sandbox.sh: killing what is left for $root: ${SANDBOX_PIDS[*]}" >&2
  kill -KILL "${SANDBOX_PIDS[@]}" 2>/dev/null || true
  for _ in $(seq 50); do
    collect_sandbox_pids "$root"
    ((${#SANDBOX_PIDS[@]})) || return 0
    sleep 0.1
  done
  die "processes of $root survived SIGKILL: ${SANDBOX_PIDS[*]}"
}

# Takes the sandbox down when the watched process ends, however it ends.
cmd_watch() {
  (($# == 2)) || usage
  trap '' HUP INT
  while kill -0 "$2" 2>/dev/null; do sleep 1; done
  exec "$script_dir/sandbox.sh" down "$1"
}

# ---- catalina ---------------------------------------------------------------

cmd_catalina() {
  (($# >= 2)) || usage
  local root
  root=$(absolute "$1")
  shift
  catalina_env "$root"
  link_windows_paths "$root"
  exec "$CATALINA_HOME_DIR/bin/catalina.sh" "$@"
}

# wcadmin.exe writes each Host's appBase as a Windows path (Z:\...), as
# Tomcat on Windows reads it. The Linux JVM takes such a path for a name
# relative to CATALINA_BASE, so each gets a link of that very name there,
# pointing at the directory it means. Tomcat reads server.xml when it starts,
# so linking before each start is enough.
link_windows_paths() {
  local base path
  base=$(tomcat_base "$1")
  [[ -f $base/conf/server.xml ]] || return 0
  while IFS= read -r path; do
    local target=${path#Z:}
    ln -sfn "${target//\\//}" "$base/$path"
  done < <(grep -o 'appBase="Z:\\[^"]*"' "$base/conf/server.xml" | sed 's/^appBase="//; s/"$//')
}

# The Windows machine's Tomcat service: its output goes where the POSIX
# service host keeps a service's console output.
cmd_catalina_service() {
  (($# == 1)) || usage
  local root console
  root=$(absolute "$1")
  console=$root/run/halvo/services/Tomcat/output.log
  mkdir -p "$(dirname "$console")"
  catalina_env "$root"
  link_windows_paths "$root"
  exec "$CATALINA_HOME_DIR/bin/catalina.sh" run >>"$console" 2>&1
}

# ---- war --------------------------------------------------------------------

cmd_war() {
  (($# == 2)) || usage
  local file=$1 name=$2 work
  [[ $name =~ ^[A-Za-z0-9._-]+$ ]] || die "an application name of letters, digits, '.', '_' and '-' is needed, not '$name'"
  command -v jar >/dev/null || die "jar is missing (package default-jdk-headless)"
  work=$(mktemp -d)
  mkdir -p "$work/WEB-INF"
  cat >"$work/WEB-INF/web.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<web-app xmlns="https://jakarta.ee/xml/ns/jakartaee" version="6.0">
  <display-name>$name</display-name>
  <welcome-file-list><welcome-file>index.jsp</welcome-file></welcome-file-list>
</web-app>
XML
  cat >"$work/index.jsp" <<JSP
<%@ page contentType="text/plain; charset=UTF-8" %>application $name answers for <%= request.getServerName() %> at <%= request.getContextPath() %>/
JSP
  rm -f "$file"
  local target
  target=$(cd "$(dirname "$file")" && pwd)/$(basename "$file")
  jar --create --file "$target" -C "$work" . || { rm -rf "$work"; die "jar failed"; }
  rm -rf "$work"
}

# ---- main -------------------------------------------------------------------

(($# >= 1)) || usage
command=$1
shift
case $command in
  up) cmd_up "$@" ;;
  down) cmd_down "$@" ;;
  catalina) cmd_catalina "$@" ;;
  catalina-service) cmd_catalina_service "$@" ;;
  war) cmd_war "$@" ;;
  watch) cmd_watch "$@" ;;
  packages) ensure_sandbox_packages ;;
  *) usage ;;
esac
