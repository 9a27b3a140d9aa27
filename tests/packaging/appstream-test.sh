#!/bin/sh
# The software-centre entry as the package installs it: appstreamcli has nothing to warn about
# (a store would refuse an id that is not reverse-DNS), and the desktop entry is named after the
# component id, which is how software centres and desktops find one from the other.
# Arguments: the configured metainfo file, the desktop file.
set -eu
metainfo=$1
desktop=$2
fail() {
    echo "FAILED: $*" >&2
    exit 1
}

id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$metainfo")
[ "$(basename "$metainfo")" = "$id.metainfo.xml" ] || fail "$(basename "$metainfo") is not $id.metainfo.xml"
[ "$(basename "$desktop")" = "$id.desktop" ] || fail "$(basename "$desktop") is not $id.desktop"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "the launchable is not $id.desktop"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/usr/share/metainfo" "$root/usr/share/applications"
cp "$metainfo" "$root/usr/share/metainfo/"
cp "$desktop" "$root/usr/share/applications/"
# Warnings and errors make the exit status non-zero; infos and hints do not.
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli validate-tree"
