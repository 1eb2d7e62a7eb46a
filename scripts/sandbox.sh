#!/usr/bin/env bash
# A sandbox machine with a real Apache Tomcat 10.1, shared by the demo and the
# end-to-end tests.
#
#   sandbox.sh up ROOT [BIN_DIR] [--watch PID]
#       Makes ROOT a private machine for wcadmin (HCP_SYSTEM_ROOT=ROOT):
#       the settings store, a private CATALINA_BASE made from the tomcat10
#       package's stock configuration, the "Tomcat" service and a running
#       hcpsrv. With --watch, everything it started is stopped once PID ends.
#   sandbox.sh down ROOT
#       Stops every process that runs for ROOT (Tomcat, its service host,
#       hcpsrv, the watcher) and waits until they are gone.
#   sandbox.sh catalina ROOT ARGS...
#       Runs the package's catalina.sh with the sandbox's CATALINA_BASE,
#       e.g. "configtest".
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

registry_add() {
  "$bin/hcpreg" add "$@" /f >/dev/null || die "hcpreg add $* failed"
}

# ---- up ---------------------------------------------------------------------

cmd_up() {
  (($# >= 1)) || usage
  local root=$1 watch=""
  shift
  bin=$script_dir/../build/bin
  while (($#)); do
    case $1 in
      --watch) watch=${2:?--watch needs a process id}; shift 2 ;;
      *) bin=$1; shift ;;
    esac
  done
  ensure_sandbox_packages
  [[ -d $root ]] || mkdir -p "$root"
  root=$(absolute "$root")
  bin=$(absolute "$bin") || die "no build directory $bin: build first (cmake --build build)"
  for program in wcadmin hcpreg hcpsrv hcpsvc libtomcatprovider.so; do
    [[ -e $bin/$program ]] || die "$bin/$program is missing: build first (cmake --build build)"
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
  cat >"$root/settings.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config]
"PRODUCT_ROOT_D"="$root/opt/halvo"
"PRODUCT_DATA_D"="$root/var/opt/halvo"
"Debug"=dword:00000001

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config\\Packages\\tomcat]
@="tomcat10"

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvo\\HCP Config\\Config\\Packages\\tomcat\\tomcat10]
"dll"="$bin/libtomcatprovider.so"
"TomcatHome"="$base"
"ManagerDocBase"="$MANAGER_DOC_BASE"
REG
  "$bin/hcpreg" import "$root/settings.reg" >/dev/null || die "hcpreg import $root/settings.reg failed"

  # The Tomcat service: catalina.sh in the foreground, ready once the panel's
  # HTTP connector accepts.
  local key='HKLM\SYSTEM\CurrentControlSet\Services\Tomcat'
  registry_add "$key" /v ImagePath /t REG_SZ /d "$CATALINA_HOME_DIR/bin/catalina.sh run"
  registry_add "$key" /v Environment /t REG_MULTI_SZ /s '|' \
    /d "CATALINA_HOME=$CATALINA_HOME_DIR|CATALINA_BASE=$base|JAVA_OPTS=$SANDBOX_JAVA_OPTS"
  registry_add "$key" /v ReadyPort /t REG_DWORD /d $HTTP_PORT
  registry_add "$key" /v WaitHint /t REG_DWORD /d 60000
  registry_add "$key" /v StopTimeout /t REG_DWORD /d 20000

  # The management service, in the background for as long as the sandbox.
  (cd / && exec setsid "$bin/hcpsrv" </dev/null >>"$root/hcpsrv.log" 2>&1) &
  echo $! >"$root/hcpsrv.pid"
  local socket=$root/run/halvo/pipes/hcppipe
  for _ in $(seq 100); do
    [[ -S $socket ]] && break
    kill -0 "$(cat "$root/hcpsrv.pid")" 2>/dev/null || die "hcpsrv ended at once: $(cat "$root/hcpsrv.log")"
    sleep 0.1
  done
  [[ -S $socket ]] || die "hcpsrv did not open $socket within 10 s"

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
  exec "$CATALINA_HOME_DIR/bin/catalina.sh" "$@"
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
  war) cmd_war "$@" ;;
  watch) cmd_watch "$@" ;;
  packages) ensure_sandbox_packages ;;
  *) usage ;;
esac
