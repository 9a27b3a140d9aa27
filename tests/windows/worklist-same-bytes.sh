#!/usr/bin/env bash
# The Windows program writes the same worklist items as the Linux one: morvik-worklist-sample,
# built for each, writes its fixed items (Latin-1 and UTF-8 names, with and without accession
# number, one or two protocol codes) once under Wine and once here; the files must be the same
# byte for byte. Then Debian's wlmscpfs serves the Windows-written items on the loopback interface
# and Debian's findscu asks for them as a modality would: every patient comes back with the name
# in the character set it was written in.
#
#   tests/windows/worklist-same-bytes.sh WINDOWS_EXE LINUX_PROGRAM
set -euo pipefail
windows_tool=$(realpath "$1")
linux_tool=$(realpath "$2")
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)

work=$(mktemp -d "${TMPDIR:-/tmp}/morvik-worklist.XXXXXX")
server=
cleanup() {
  [ -z "$server" ] || kill "$server" 2>/dev/null || true
  [ -n "${own_prefix:-}" ] && "$wineserver" -k 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
if [ -z "${WINEPREFIX:-}" ]; then
  own_prefix=1
  export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
  export LC_ALL=C.UTF-8
  "$wine" wineboot --init >/dev/null 2>&1 || true
fi

. "$(dirname "$0")/checks.sh"

# The AE title's folders, as wlmscpfs reads them: <worklist folder>/MORVIK/*.wl.
mkdir -p "$work/windows" "$work/linux"
"$wine" "$windows_tool" "$("$wine" winepath -w "$work/windows/MORVIK")" >/dev/null
"$linux_tool" "$work/linux/MORVIK" >/dev/null
windows_items=$(cd "$work/windows/MORVIK" && ls)
linux_items=$(cd "$work/linux/MORVIK" && ls)
check "three items written on each system" test "$(echo "$linux_items" | wc -l)" -eq 3
check "the same file names" test "$windows_items" = "$linux_items"
for item in $linux_items; do
  check "$item: the same bytes" cmp "$work/linux/MORVIK/$item" "$work/windows/MORVIK/$item"
done

# wlmscpfs over the Windows-written items, on a free port: one that another program takes first
# ends the server at once, and the next is tried.
: >"$work/windows/MORVIK/lockfile"
port=
for attempt in 1 2 3 4 5; do
  candidate=$((20000 + RANDOM % 40000))
  wlmscpfs --single-process --keep-char-set --disable-host-lookup \
    --data-files-path "$work/windows" "$candidate" >"$work/server.log" 2>&1 &
  server=$!
  for _ in $(seq 100); do
    kill -0 "$server" 2>/dev/null || break
    if (exec 3<>"/dev/tcp/127.0.0.1/$candidate") 2>/dev/null; then port=$candidate; break 2; fi
    sleep 0.1
  done
  kill "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
  server=
done
if [ -z "$port" ]; then
  echo "  FAILED: wlmscpfs did not start: $(cat "$work/server.log")" >&2
  exit 1
fi

mkdir "$work/answers"
findscu --worklist --call MORVIK --extract --output-directory "$work/answers" \
  -k SpecificCharacterSet -k PatientName -k PatientID -k AccessionNumber \
  -k "ScheduledProcedureStepSequence[0].Modality" 127.0.0.1 "$port" >"$work/findscu.log" 2>&1 \
  || { echo "  FAILED: findscu: $(cat "$work/findscu.log")" >&2; exit 1; }
answers=("$work"/answers/rsp*)
check "three answers from wlmscpfs" test "${#answers[@]}" -eq 3

# An answer that holds both the character set and the name's bytes.
answered() { # character set, name bytes
  local answer
  for answer in "${answers[@]}"; do
    if LC_ALL=C grep -qaF "$1" "$answer" && LC_ALL=C grep -qaF "$2" "$answer"; then return 0; fi
  done
  return 1
}
check "Müller^Jürgen in Latin-1" answered "ISO_IR 100" "$(printf 'M\xfcller^J\xfcrgen')"
check "Žák^Šimon in UTF-8" answered "ISO_IR 192" "Žák^Šimon"
check "Schäfer^Anna in Latin-1" answered "ISO_IR 100" "$(printf 'Sch\xe4fer^Anna')"

if [ "$failures" -gt 0 ]; then
  echo "The worklist items of the Windows program: $failures check(s) failed" >&2
  exit 1
fi
