#!/usr/bin/env bash
# The peer of each benchmarked command: the same edit done the way an
# administrator would script it with standard tools, xmlstarlet for
# server.xml and sed for the connector's property files. It makes the same
# number of passes over each file as the panel's program (one edit of
# server.xml, one sed per property-file edit) but knows the benchmark's
# situation: it appends mounts and workers without looking for stale copies
# of them, and it does not register files for deferred removal.
#
#   peer.sh <command> --tomcat-home=DIR --var-tomcat=DIR [--name=value ...]
# with the commands and parameters of wcfloor.
set -euo pipefail

command=${1:?usage: peer.sh <command> --tomcat-home=DIR --var-tomcat=DIR [parameters]}
shift
declare -A p=()
for arg in "$@"; do
  case $arg in
    --*=*) name=${arg%%=*}; p[${name#--}]=${arg#*=} ;;
    --*) p[${arg#--}]=1 ;;
    *) echo "peer.sh: unexpected argument '$arg'" >&2; exit 1 ;;
  esac
done
home=${p[tomcat-home]:?--tomcat-home is required}
data=${p[var-tomcat]:?--var-tomcat is required}
server_xml=$home/conf/server.xml
workers=$home/conf/workers.properties
map=$home/conf/uriworkermap.properties
engine="/Server/Service[@name='HCP']/Engine[@name='HCP']"

# A literal for a sed address delimited by '|', and for a replacement.
re() { printf '%s' "$1" | sed 's/[][\.*^$|/]/\\&/g'; }
rep() { printf '%s' "$1" | sed 's/[\&|/]/\\&/g'; }
lower() { printf '%s' "${1,,}"; }
worker_of() { printf '%s' "${1//./_}"; }
# The host's name list: www.host, then each alias and its www twin.
name_list() {
  local host=$1 file=${2:-}
  printf '%s\n' "www.$host"
  if [[ -n $file ]]; then
    tr ';\r' '\n\n' <"$file" | while IFS= read -r alias; do
      [[ -n $alias ]] && printf '%s\nwww.%s\n' "$alias" "$alias"
    done
  fi
  return 0
}

install_vhost() {
  local host=${p[vhost-name]} w
  w=$(worker_of "$host")
  local new="$engine/Host[last()]"
  local args=(-d "$engine/Host[@name='$host']" -s "$engine" -t elem -n Host -v "")
  args+=(-s "$new" -t attr -n name -v "$host"
         -s "$new" -t attr -n className -v org.apache.catalina.core.StandardHost
         -s "$new" -t attr -n errorReportValveClass -v org.apache.catalina.valves.ErrorReportValve
         -s "$new" -t attr -n deployXML -v true
         -s "$new" -t attr -n appBase -v "$data/hcp-webapps/$host"
         -s "$new" -t attr -n unpackWARs -v false
         -s "$new" -t attr -n autoDeploy -v true)
  local name
  while IFS= read -r name; do args+=(-s "$new" -t elem -n Alias -v "$name"); done < <(name_list "$host" "${p[aliases]:-}")
  local context="$new/Context[last()]"
  args+=(-s "$new" -t elem -n Context -v ""
         -s "$context" -t attr -n path -v /manager
         -s "$context" -t attr -n className -v org.apache.catalina.core.StandardContext
         -s "$context" -t attr -n crossContext -v false
         -s "$context" -t attr -n reloadable -v false
         -s "$context" -t attr -n useNaming -v true
         -s "$context" -t attr -n swallowOutput -v false
         -s "$context" -t attr -n privileged -v true
         -s "$context" -t attr -n wrapperClass -v org.apache.catalina.core.StandardWrapper
         -s "$context" -t attr -n docBase -v "$home/webapps/manager"
         -s "$context" -t attr -n cookies -v true
         -s "$context" -t attr -n cachingAllowed -v true)
  local realm="$new/Realm[last()]"
  args+=(-s "$new" -t elem -n Realm -v ""
         -s "$realm" -t attr -n pathname -v "hcp-users/$host.xml"
         -s "$realm" -t attr -n className -v org.apache.catalina.realm.MemoryRealm)
  xmlstarlet ed -L -P "${args[@]}" "$server_xml"

  local wr
  wr=$(re "$w")
  sed -i -e "/^worker\\.list=/{/[=,]$wr\\(,\\|\\r\\?\$\\)/!s/\\r\\?\$/,$w\\r/}" \
    -e "\$s/\$/\\nworker.$w.port=9008\\r\\nworker.$w.host=127.0.0.1\\r\\nworker.$w.type=ajp13\\r\\nworker.$w.lbfactor=1\\r/" \
    "$workers"
}

# Copies every mount of the host to the alias, appended at the end.
copy_mounts() {
  local host=$1 alias=$2
  sed -i -e "\\|^/$(re "$(lower "$host")")/|H" \
    -e "\${G;s/\\n\\n/\\n/;s|\\n/$(re "$(lower "$host")")/|\\n/$(rep "$(lower "$alias")")/|g}" "$map"
}

add_alias() {
  local host=${p[vhost-name]} alias=${p[alias]}
  local h="$engine/Host[@name='$host']"
  xmlstarlet ed -L -P -s "$h[not(Alias='$alias')]" -t elem -n Alias -v "$alias" \
    -s "$h[not(Alias='www.$alias')]" -t elem -n Alias -v "www.$alias" "$server_xml"
  copy_mounts "$host" "$alias"
  copy_mounts "$host" "www.$alias"
}

remove_alias() {
  local host=${p[vhost-name]} alias=${p[alias]}
  [[ -e $server_xml ]] || return 0
  local h="$engine/Host[@name='$host']"
  xmlstarlet ed -L -P -d "($h/Alias[.='$alias'])[1]" -d "($h/Alias[.='www.$alias'])[1]" "$server_xml"
  local name
  for name in "$alias" "www.$alias"; do
    [[ -e $map ]] && sed -i "\\|^/$(re "$(lower "$name")")/|d" "$map"
  done
  return 0
}

rename_vhost() {
  local old=${p[old-name]} new=${p[new-name]} aliases=${p[aliases]:-}
  local h="$engine/Host[@name='$old']"
  xmlstarlet ed -L -P -d "$engine/Host[@name='$new']" \
    -u "$h/@appBase" -v "$data/hcp-webapps/$new" \
    -u "($h/Alias[.='www.$old'])[1]" -v "www.$new" \
    -u "$h/Realm[1]/@pathname" -v "hcp-users/$new.xml" \
    -u "$h/@name" -v "$new" "$server_xml"

  local pair
  for pair in "$data/hcp-webapps/" "$home/hcp-users/:.xml" "$data/hcp-wars/" "$home/work/HCP/"; do
    local dir=${pair%%:*} ext=
    [[ $pair == *:* ]] && ext=${pair#*:}
    if [[ -e $dir$old$ext ]]; then
      rm -rf "$dir$new$ext"
      mv "$dir$old$ext" "$dir$new$ext"
    fi
  done

  local ow nw
  ow=$(worker_of "$old")
  nw=$(worker_of "$new")
  sed -i -e "/^worker\\.list=/{s/=$(re "$ow")\\(,\\|\\r\\?\$\\)/=$nw\\1/;t;s/,$(re "$ow")\\(,\\|\\r\\?\$\\)/,$nw\\1/}" \
    -e "s/^worker\\.$(re "$ow")\\.\\(port\\|type\\|lbfactor\\)=/worker.$nw.\\1=/" \
    -e "s/^worker\\.$(re "$ow")\\.host=.*/worker.$nw.host=127.0.0.1\\r/" "$workers"

  # Mounts of the old host are kept as suffixes in the hold space; those of
  # its aliases are dropped; at the end every suffix is written for every
  # new name.
  # A matching last line is emptied instead of deleted, so that the end
  # block still runs.
  local script="\\|^/$(re "$(lower "$old")")/|{s|^/[^/]*/||;s|=.*||;H;\$!d;z}"$'\n'
  local name
  while IFS= read -r name; do
    script+="\\|^/$(re "$(lower "$name")")/|{\$!d;z}"$'\n'
  done < <(name_list "$old" "$aliases")
  local copies=""
  while IFS= read -r name; do
    copies+="/$(rep "$(lower "$name")")/\\1=$nw\\r\\n"
  done < <(printf '%s\n' "$new"; name_list "$new" "$aliases")
  copies=${copies%\\n}
  script+="\${x;s/^\\n//;s|^\\([^\\n]\\+\\)\$|$copies|Mg;x;G;s/^\\n//;s/\\n\$//;/^\$/d}"
  sed -i -e "$script" "$map"
}

start_webapp() {
  local host=${p[vhost-name]} app=${p[webapp-name]}
  local war=$data/hcp-wars/$host/$app.war link=$data/hcp-webapps/$host/$app.war
  if [[ ! -e $war ]]; then
    echo "Application '$app' is not deployed" >&2
    exit 1
  fi
  rm -f "$link"
  ln "$war" "$link" 2>/dev/null || cp "$war" "$link"
  local w lh delete="" append=""
  w=$(worker_of "$host")
  lh=$(lower "$host")
  local name
  for name in "$lh" "www.$lh"; do
    delete+="\\|^/$(re "$name")/$(re "$app")=|{\$!d;z};\\|^/$(re "$name")/$(re "$app")/\\*=|{\$!d;z};"
    append+="\\n/$(rep "$name")/$(rep "$app")=$w\\r\\n/$(rep "$name")/$(rep "$app")/*=$w\\r"
  done
  sed -i -e "$delete" -e "\${s|\$|$append|;s/^\\n//}" "$map"
}

stop_webapp() {
  local host=${p[vhost-name]} app=${p[webapp-name]}
  [[ -e $map ]] || return 0
  local lh delete="" name
  lh=$(lower "$host")
  for name in "$lh" "www.$lh"; do
    delete+="\\|^/$(re "$name")/$(re "$app")=|d;\\|^/$(re "$name")/$(re "$app")/\\*=|d;"
  done
  sed -i -e "$delete" "$map"
}

get_webapp_list() {
  local dir=$data/hcp-wars/${p[vhost-name]}
  [[ -n ${p[started-only]:-} ]] && dir=$data/hcp-webapps/${p[vhost-name]}
  local f
  for f in "$dir"/*.war; do
    [[ -e $f ]] || continue
    f=${f##*/}
    printf '%s\n' "${f%.war}"
  done
}

case $command in
  install-vhost) install_vhost ;;
  add-alias) add_alias ;;
  remove-alias) remove_alias ;;
  rename-vhost) rename_vhost ;;
  start-webapp) start_webapp ;;
  stop-webapp) stop_webapp ;;
  get-webapp-list) get_webapp_list ;;
  *) echo "peer.sh: unknown command '$command'" >&2; exit 1 ;;
esac
