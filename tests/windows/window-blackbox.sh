#!/usr/bin/env bash
# Places an order through the real window of morvik.exe under Wine, as an operator would with
# the keyboard, and checks the order file byte for byte.
#
#   tests/windows/window-blackbox.sh BUILD_DIR [PROGRAM_FOLDER]
#
# Without PROGRAM_FOLDER the build is installed into a fresh folder first; with one (the folder a
# setup program installed to) that installation is used as it is, its Settings.ini pointed at a
# fresh inbox and outbox. The caller's WINEPREFIX is used when set, otherwise a throwaway one.
# Runs on its own virtual display (Xvfb); xdotool types the initials, presses Alt+B (Übernehmen)
# and Enter on the success message, and the program ends.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
folder=${2:-}
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)

work=$(mktemp -d "${TMPDIR:-/tmp}/morvik-window.XXXXXX")
own_prefix=
if [ -z "${WINEPREFIX:-}" ] || [ ! -d "${WINEPREFIX:-}" ]; then
  export WINEPREFIX=$work/prefix
  own_prefix=1
else
  # A session of that prefix started without a display would keep every window unseen.
  "$wineserver" -k 2>/dev/null || true
fi
xvfb_pid=
cleanup() {
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  [ -z "$own_prefix" ] || "$wineserver" -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
unset QT_QPA_PLATFORM

if [ -z "$folder" ]; then
  folder=$work/Morvik
  cmake --install "$build" --prefix "$folder" >/dev/null
fi
mkdir -p "$work/inbox" "$work/outbox"
cp "$here/request.gdt" "$work/inbox/REQUEST.GDT"

# A display of its own, so nothing else on the machine gets the keys.
for n in $(seq 90 120); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=":$n"; break; }
done
Xvfb "$display" -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.2; done
[ -d "$WINEPREFIX" ] || "$wine" wineboot --init >/dev/null 2>&1 || true

# Röntgen (button 1, checked at start) is ordered without body parts here, so Übernehmen needs
# only the initials.
win() { "$wine" winepath -w "$1" 2>/dev/null; }
printf '[GDTService]\r\nGDTQuell=%s\r\nGDTZiel=%s\r\nSuffix=gdt\r\nModalitaet1=Röntgen\r\nBodypart1=1\r\nAcc=0\r\nKuerzel=\r\n' \
  "$(win "$work/inbox")" "$(win "$work/outbox")" | iconv -f UTF-8 -t WINDOWS-1252 >"$folder/Settings.ini"

"$wine" "$folder/morvik.exe" >"$work/morvik.out" 2>&1 &
morvik=$!
# The main window: its title starts with "Morvik Version".
window=
for _ in $(seq 150); do
  window=$(xdotool search --onlyvisible --name '^Morvik Version' 2>/dev/null | head -1 || true)
  [ -n "$window" ] && break
  sleep 0.2
done
if [ -z "$window" ]; then
  echo "window-blackbox: the main window did not appear" >&2
  cat "$work/morvik.out" >&2
  exit 1
fi
sleep 2  # the splash goes, the catalogue fills
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
xdotool key --delay 150 alt+k
xdotool type --delay 100 "AB"
xdotool key --delay 150 alt+b
# The success message: Enter presses its OK, and the program ends.
for _ in $(seq 50); do
  box=$(xdotool search --onlyvisible --name '^Morvik$' 2>/dev/null | head -1 || true)
  [ -n "$box" ] && break
  sleep 0.2
done
[ -n "$box" ] && xdotool windowactivate --sync "$box" 2>/dev/null || true
xdotool key --delay 200 Return
for _ in $(seq 100); do kill -0 "$morvik" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$morvik" 2>/dev/null; then
  import -display "$display" -window root "$work/stuck.png" 2>/dev/null || true
  echo "window-blackbox: morvik.exe did not end after the confirmation" >&2
  kill "$morvik" 2>/dev/null || true
  exit 1
fi

# The order: the request byte for byte, then modality and initials (an empty comment has no line).
orders=("$work"/outbox/*.gdt)
[ "${#orders[@]}" -eq 1 ] && [ -f "${orders[0]}" ] || {
  echo "window-blackbox: expected one order file, found: $(ls "$work/outbox")" >&2
  exit 1
}
[[ $(basename "${orders[0]}") =~ ^[0-9A-F]{8}-([0-9A-F]{4}-){3}[0-9A-F]{12}\.gdt$ ]] || {
  echo "window-blackbox: order file name is no GUID: $(basename "${orders[0]}")" >&2
  exit 1
}
{
  cat "$here/request.gdt"
  printf '0168402R\xf6ntgen\r\n0118315AB\r\n'
} >"$work/expected.gdt"
if ! cmp "$work/expected.gdt" "${orders[0]}"; then
  echo "window-blackbox: the order file differs from the expected bytes" >&2
  od -c "${orders[0]}" | tail -5 >&2
  exit 1
fi
[ ! -e "$work/inbox/REQUEST.GDT" ] || { echo "window-blackbox: request not removed" >&2; exit 1; }
echo "window-blackbox: order placed through morvik.exe's window, byte for byte"
