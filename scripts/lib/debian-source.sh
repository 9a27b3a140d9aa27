# Debian's own source packages for the Windows cross builds (scripts/build-qt-windows,
# scripts/build-dcmtk-windows), sourced by them. The sources come through the machine's own apt
# configuration (its mirrors, proxy and keys): the entries of its source lists are read as source
# entries into a folder of our own, so the machine's configuration itself is left unchanged.
# The caller sets $work, a temporary folder that the sources and apt's lists go into.

# The cache that the cross-built libraries live in, one folder per library, version and flags.
windows_cache=${MORVIK_WINDOWS_CACHE:-$HOME/.cache/morvik-windows}

# Installs the given Debian packages where missing (build tools the cross builds need).
install_build_packages() {
  local p missing=() sudo_cmd=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    --no-install-recommends "${missing[@]}"
}

# apt-get source through the machine's apt configuration: its source lists (one-line and deb822
# files) with every "deb" entry read as "deb-src" too, and lists and downloads in our folder.
source_lists() {
  local out=$1 list parts f
  eval "$(apt-config shell list Dir::Etc::sourcelist/f parts Dir::Etc::sourceparts/d)"
  mkdir -p "$out/parts"
  : >"$out/sources.list"
  for f in "$list" "$parts"*.list; do
    [ -f "$f" ] || continue
    sed -n 's/^[[:space:]]*deb\(-src\)\{0,1\}\([[:space:]]\)/deb-src\2/p' "$f" >>"$out/sources.list"
  done
  for f in "$parts"*.sources; do
    [ -f "$f" ] || continue
    sed 's/^Types:.*$/Types: deb-src/' "$f" >"$out/parts/$(basename "$f")"
  done
  if ! grep -qs . "$out/sources.list" && [ -z "$(ls -A "$out/parts")" ]; then
    echo "${0##*/}: this machine's apt configuration names no package source" >&2
    exit 1
  fi
}

# Unpacks the source package (Debian's patches applied) into $work.
fetch_source() { # package version
  local lists="$work/apt-lists"
  local opts=(-o "Dir::Etc::SourceList=$work/apt-sources/sources.list"
    -o "Dir::Etc::SourceParts=$work/apt-sources/parts" -o "Dir::State::Lists=$lists"
    -o "Dir::Cache=$work/apt-cache" -o APT::Sandbox::User=root)
  if [ ! -f "$work/.lists-updated" ]; then
    source_lists "$work/apt-sources"
    mkdir -p "$lists/partial" "$work/apt-cache/archives/partial"
    # A source that has no source packages (a third-party repository) only warns here; the
    # package itself must then be found in the others.
    apt-get "${opts[@]}" update -qq || echo "${0##*/}: some source lists could not be read" >&2
    touch "$work/.lists-updated"
  fi
  (cd "$work" && apt-get "${opts[@]}" source -qq "$1=$2")
}
