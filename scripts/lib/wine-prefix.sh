# Sourced: a fresh, private Wine prefix for this script, with one wine
# server that lives until the script ends (Debian's wrapper would end the
# server with its last client, and the next program would pay for a new one).
# The prefix and the server are removed on exit.

start_private_wine() {
  export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  WINEPREFIX=$(mktemp -d /tmp/wcadmin-wine.XXXXXX)
  trap stop_private_wine EXIT
  wineboot -i >/dev/null 2>&1
  wineserver -w
  setsid nohup wineserver -p >/dev/null 2>&1 </dev/null &
  # The server is up when a client finds it.
  wine cmd /c exit >/dev/null 2>&1
}

stop_private_wine() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
}
