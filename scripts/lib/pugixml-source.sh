# Sourced by build-windows.sh: pugixml's Debian source package, fetched from
# the Debian archive this machine already uses through a private apt list, so
# the system's apt configuration stays untouched.

# The first archive URI that apt uses for this release's main suite.
debian_archive_uri() {
  local codename uri
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:?no VERSION_CODENAME in /etc/os-release}")
  # One-line lists: "deb [options] URI suite component...".
  uri=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
    awk -v suite="$codename" '$1 == "deb" { sub(/\[[^]]*\] */, ""); if ($3 == suite) { print $2; exit } }')
  # deb822 files: a stanza with "Suites: ... <codename> ..." and "URIs: ...".
  if [[ -z $uri ]]; then
    uri=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null |
      awk -v suite="$codename" '
        /^[[:space:]]*$/ { if (found && uris) { print uris; exit } found = 0; uris = "" }
        /^URIs:/ { uris = $2 }
        /^Suites:/ { for (i = 2; i <= NF; i++) if ($i == suite) found = 1 }
        END { if (found && uris) print uris }' | head -n1)
  fi
  [[ -n $uri ]] || { echo "No Debian archive for '$codename' in the apt sources" >&2; return 1; }
  echo "$uri $codename"
}

# fetch_pugixml_source DIR: unpacks the source package under DIR once and
# prints the path of the unpacked tree; later calls reuse it.
fetch_pugixml_source() {
  local dir=$1 tree
  tree=$(find "$dir" -maxdepth 3 -path "$dir/pugixml-*/src/pugixml.cpp" -printf '%h\n' 2>/dev/null | head -n1)
  if [[ -n $tree ]]; then
    dirname "$tree"
    return 0
  fi
  local archive
  archive=$(debian_archive_uri) || return 1
  mkdir -p "$dir/apt/lists/partial" "$dir/apt/cache/archives/partial"
  echo "deb-src ${archive% *} ${archive#* } main" >"$dir/apt/src.list"
  local apt_options=(-q -o Dir::Etc::SourceList="$dir/apt/src.list" -o Dir::Etc::SourceParts=/dev/null
    -o Dir::State::Lists="$dir/apt/lists" -o Dir::Cache="$dir/apt/cache" -o APT::Sandbox::User="$(id -un)")
  echo "Fetching pugixml's Debian source package into $dir ..." >&2
  apt-get "${apt_options[@]}" update >/dev/null
  (cd "$dir" && apt-get "${apt_options[@]}" source --download-only pugixml >/dev/null)
  local dsc
  dsc=$(ls "$dir"/pugixml_*.dsc | head -n1)
  # dpkg-source checks the files against the .dsc, whose checksums came from
  # apt's signed index, and applies Debian's patches. Its note that the .dsc's
  # own signature cannot be checked (no Debian keyring for it) is noise.
  (cd "$dir" && dpkg-source -x "$(basename "$dsc")" >"$dir/dpkg-source.log" 2>&1) ||
    { cat "$dir/dpkg-source.log" >&2; return 1; }
  tree=$(find "$dir" -maxdepth 3 -path "$dir/pugixml-*/src/pugixml.cpp" -printf '%h\n' | head -n1)
  [[ -n $tree ]] || { echo "The pugixml source package has no src/pugixml.cpp" >&2; return 1; }
  dirname "$tree"
}
