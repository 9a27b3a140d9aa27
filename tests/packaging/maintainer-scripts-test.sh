#!/bin/sh
# The maintainer scripts' work on a temporary root: a first install puts the templates in
# place; an upgrade over a used installation keeps every data file byte for byte and leaves
# links alone; purge removes the data but keeps the accession counter.
# Arguments: the function library, the staging folder (templates, built scripts), Bodypart.mdb.
set -eu
library=$1
staging=$2
catalogue=$3
. "$library"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
check() {  # check DESCRIPTION COMMAND...
    what=$1
    shift
    if "$@"; then :; else
        echo "FAILED: $what" >&2
        failures=$((failures + 1))
    fi
}
mode() { stat -c %a "$1"; }
group=$(id -gn)

root=$tmp/root
dir=$root/opt/morvik
templates=$root/usr/share/morvik
mkdir -p "$templates" "$dir"
cp "$staging/Settings.ini" "$catalogue" "$templates/"
echo program >"$dir/morvik"

# First install.
morvik_setup_data "$root" "$group"
check "Settings.ini from the template" cmp -s "$templates/Settings.ini" "$dir/Settings.ini"
check "Bodypart.mdb from the template" cmp -s "$templates/Bodypart.mdb" "$dir/Bodypart.mdb"
check "empty log made" test -f "$dir/Logs/ErrorLog.log" -a ! -s "$dir/Logs/ErrorLog.log"
check "a new counter made, next number 0000001" test "$(cat "$dir/AccNum.dat")" = 0000000
for f in Settings.ini Bodypart.mdb AccNum.dat AccNum.lck Logs/ErrorLog.log; do
    check "$f writable by the group" test "$(mode "$dir/$f")" = 664
done
for d in "$dir" "$dir/Logs"; do
    check "$d gives new files the group" test "$(mode "$d")" = 2775
done
check "the template of Settings.ini is CR LF text" grep -q "$(printf 'GDTZiel=\r')" "$dir/Settings.ini"

# A used installation, then an upgrade with new templates.
printf '[GDTService]\r\nGDTZiel=/srv/orders\r\n' >"$dir/Settings.ini"
printf 'a catalogue the practice edited' >"$dir/Bodypart.mdb"
printf '000417' >"$dir/AccNum.dat"
printf '05.12.2026 - 14:03:07 # 53 - Datei nicht gefunden - ReadGDT\r\n' >"$dir/Logs/ErrorLog.log"
mkdir -p "$tmp/shared"
printf 'shared' >"$tmp/shared/AccNum.dat"
chmod 640 "$tmp/shared/AccNum.dat"
mkdir "$tmp/before"
cp -a "$dir/Settings.ini" "$dir/Bodypart.mdb" "$dir/AccNum.dat" "$dir/Logs" "$tmp/before/"
echo new >"$templates/Settings.ini"
echo new >"$templates/Bodypart.mdb"
morvik_setup_data "$root" "$group"
for f in Settings.ini Bodypart.mdb AccNum.dat Logs/ErrorLog.log; do
    check "upgrade keeps $f byte for byte" cmp -s "$tmp/before/$f" "$dir/$f"
done

# A counter linked to one shared by another installation stays a link to an untouched file.
rm "$dir/AccNum.dat"
ln -s "$tmp/shared/AccNum.dat" "$dir/AccNum.dat"
morvik_setup_data "$root" "$group"
check "a linked counter stays a link" test -L "$dir/AccNum.dat"
check "the shared counter keeps its mode" test "$(mode "$tmp/shared/AccNum.dat")" = 640

# Removal keeps everything; purge keeps only the counter.
rm "$dir/AccNum.dat"
printf '000417' >"$dir/AccNum.dat"
rm "$dir/morvik"  # dpkg removes the package's files before postrm
DPKG_ROOT=$root sh "$staging/control/postrm" remove
check "remove keeps the data" cmp -s "$tmp/before/Settings.ini" "$dir/Settings.ini"
: >"$dir/~0123.tmp"
DPKG_ROOT=$root sh "$staging/control/postrm" purge 2>/dev/null
check "purge keeps exactly the counter and its lock" \
    test "$(cd "$dir" && ls -A | tr '\n' ' ')" = "AccNum.dat AccNum.lck "
printf '0000000' >"$dir/AccNum.dat"
DPKG_ROOT=$root sh "$staging/control/postrm" purge
check "purge of a counter that never issued a number removes the folder" test ! -e "$dir"

# A lock file that says numbers were issued, without its counter: no new counter is made.
mkdir -p "$dir"
printf '00000000000000000417' >"$dir/AccNum.lck"
morvik_setup_data "$root" "$group"
check "a lost counter is not made anew" test ! -e "$dir/AccNum.dat"
check "postinst is valid sh" sh -n "$staging/control/postinst"

if [ "$failures" -ne 0 ]; then
    echo "$failures failed" >&2
    exit 1
fi
echo "maintainer scripts: all checks passed"
