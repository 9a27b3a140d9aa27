#!/usr/bin/env bash
# The setup program under Wine, as IT support would deploy it: a silent install, the files where
# they belong, the folder's rights set with every icacls answer checked (Wine's icacls keeps no
# rights, so the commands and their answers are checked in Logs\Setup.log), an order placed through
# the installed morvik.exe, a silent re-install that keeps the practice's data byte for byte, a
# re-install refused while Morvik runs and one stopped by a failing icacls, and a silent removal
# that keeps data and counter.
#
#   tests/windows/installer-test.sh BUILD_DIR     (after `cpack -G NSIS` in BUILD_DIR)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
setup=$(ls "$build"/Morvik-*-setup.exe | head -1)
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)

work=$(mktemp -d "${TMPDIR:-/tmp}/morvik-setup.XXXXXX")
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
"$wine" wineboot --init >/dev/null 2>&1 || true

. "$here/checks.sh"
folder=$WINEPREFIX/drive_c/Morvik
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Morvik'
# wineserver -w: every process the setup program started has ended. A run that fails ends the
# test with its exit code, and shows the end of the setup's log, which names the step that failed.
run() {
  local status=0
  "$wine" "$@" >/dev/null 2>&1 || status=$?
  "$wineserver" -w
  if [ "$status" -ne 0 ]; then
    echo "  FAILED: $(basename -- "$1") ${*:2} ended with $status" >&2
    tail -n 20 "$folder/Logs/Setup.log" >&2 2>/dev/null || true
    exit "$status"
  fi
}

echo "== Silent install: $(basename "$setup") /S /D=C:\\Morvik"
run "$setup" /S '/D=C:\Morvik'
for f in morvik.exe morvik-catalogue.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll libstdc++-6.dll \
  libgcc_s_seh-1.dll libwinpthread-1.dll platforms/qwindows.dll styles/qwindowsvistastyle.dll \
  translations/qtbase_de.qm qt.conf Uninstall.exe; do
  check "$f installed" test -s "$folder/$f"
done
windows_text() { test -s "$1" && grep -q $'\r$' "$1"; }
# The terms and the notices the licence page showed, and the licence texts they point to: the
# project's own terms first, then every library the folder ships, as Windows text.
for f in LICENSE.txt THIRD-PARTY-NOTICES.txt licenses/LGPL-3.txt licenses/GPL-3.txt \
  licenses/qt6-base-copyright.txt licenses/mingw-w64-copyright.txt \
  licenses/gcc-mingw-w64-copyright.txt licenses/dcmtk-copyright.txt; do
  check "$f installed as Windows text" windows_text "$folder/$f"
done
check "LICENSE.txt holds the project's terms" grep -q "All rights reserved" "$folder/LICENSE.txt"
for name in Qt6Core.dll libstdc++-6.dll libwinpthread-1.dll SQLite DCMTK; do
  check "THIRD-PARTY-NOTICES.txt names $name" grep -q "$name" "$folder/THIRD-PARTY-NOTICES.txt"
done
check "Settings.ini from the template" cmp -s "$folder/templates/Settings.ini" "$folder/Settings.ini"
check "Bodypart.mdb from the template" cmp -s "$folder/templates/Bodypart.mdb" "$folder/Bodypart.mdb"
check "a new counter: the next number is 0000001" test "$(cat "$folder/AccNum.dat")" = 0000000
check "an empty counter lock" test -f "$folder/AccNum.lck" -a ! -s "$folder/AccNum.lck"
check "Logs folder" test -d "$folder/Logs"
check "Start menu entry" test -f "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Morvik/Morvik.lnk"
check "registered under Apps & Features" \
  sh -c "'$wine' reg query '$key' /v DisplayName 2>/dev/null | grep -q Morvik"
check "with its version" \
  sh -c "'$wine' reg query '$key' /v DisplayVersion 2>/dev/null | grep -q '$(basename "$setup" | sed 's/Morvik-\(.*\)-setup.exe/\1/')'"

log="$folder/Logs/Setup.log"
setup_says() { LC_ALL=C grep -qF -- "$1" "$log"; }
for rights in '"C:\Morvik" /inheritance:r /grant:r *S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX' \
  '"C:\Morvik" /grant *S-1-5-32-545:(WD,AD)' '"C:\Morvik\Settings.ini" /grant *S-1-5-32-545:M' \
  '"C:\Morvik\Bodypart.mdb" /grant *S-1-5-32-545:M' '"C:\Morvik\AccNum.dat" /grant *S-1-5-32-545:M' \
  '"C:\Morvik\AccNum.lck" /grant *S-1-5-32-545:M' '"C:\Morvik\Logs" /grant *S-1-5-32-545:(OI)(CI)M'; do
  # "Rückgabe" in the ANSI code page: the byte of the u-umlaut is left to grep's dot.
  check "rights set and answered 0: icacls $rights" \
    sh -c "LC_ALL=C grep -aF -- 'icacls $rights: R' '$log' | LC_ALL=C grep -aq 'ckgabe 0'"
done

echo "== An order through the installed program"
# A fresh Wine session, on the display the window test brings.
"$wineserver" -k 2>/dev/null || true
"$here/window-blackbox.sh" "$build" "$folder"
"$wineserver" -k 2>/dev/null || true

echo "== Silent re-install keeps the practice's data"
printf '0000417' >"$folder/AccNum.dat"
printf '00000000000000000417' >"$folder/AccNum.lck"
printf '07.12.2026 - 10:00:00 # 53 - Datei nicht gefunden - ReadGDT\r\n' >>"$folder/Logs/ErrorLog.log"
printf 'a catalogue the practice edited' >"$folder/Bodypart.mdb"
mkdir "$work/before"
for f in Settings.ini Bodypart.mdb AccNum.dat AccNum.lck Logs/ErrorLog.log; do
  cp "$folder/$f" "$work/before/$(basename "$f")"
done
run "$setup" /S '/D=C:\Morvik'
for f in Settings.ini Bodypart.mdb AccNum.dat AccNum.lck Logs/ErrorLog.log; do
  check "re-install keeps $f byte for byte" cmp -s "$work/before/$(basename "$f")" "$folder/$f"
done
check "programs still there" test -s "$folder/morvik.exe"

echo "== A re-install while Morvik runs is refused and changes nothing"
# The other program holds morvik.exe as Windows holds a running program's file.
cp "$folder/morvik.exe" "$work/morvik.exe"
rm -f "$WINEPREFIX/drive_c/held"
"$wine" "$build/tests/morvik_other_program.exe" run 'C:\Morvik\morvik.exe' 60000 'C:\held' \
  >/dev/null 2>&1 &
for _ in $(seq 120); do [ -f "$WINEPREFIX/drive_c/held" ] && break; sleep 0.5; done
status=0
"$wine" "$setup" /S '/D=C:\Morvik' >/dev/null 2>&1 || status=$?
check "refused with exit code 3 while morvik.exe is in use" test "$status" = 3
check "morvik.exe left as it was" cmp -s "$work/morvik.exe" "$folder/morvik.exe"
check "the refusal in Setup.log" setup_says "Abgebrochen: C:\Morvik\morvik.exe ist in Gebrauch"
"$wineserver" -k 2>/dev/null || true

echo "== A failing icacls stops the setup"
# The other program answers 2 to anything: a stand-in for icacls failing.
icacls="$WINEPREFIX/drive_c/windows/system32/icacls.exe"
cp "$icacls" "$work/icacls.exe"
cp "$build/tests/morvik_other_program.exe" "$icacls"
status=0
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;icacls.exe=n" "$wine" "$setup" /S '/D=C:\Morvik' \
  >/dev/null 2>&1 || status=$?
"$wineserver" -w
cp "$work/icacls.exe" "$icacls"
check "stopped with exit code 4 when icacls fails" test "$status" = 4
check "the failing icacls and its answer in Setup.log" \
  sh -c "LC_ALL=C grep -aF -- '/inheritance:r' '$log' | tail -1 | LC_ALL=C grep -aq 'ckgabe 2'"
run "$setup" /S '/D=C:\Morvik'

echo "== Silent removal keeps data and counter"
# _?= runs the uninstaller in place, so that it is done when it returns.
run "$folder/Uninstall.exe" /S '_?=C:\Morvik'
for f in morvik.exe morvik-catalogue.exe Qt6Core.dll platforms/qwindows.dll templates/Settings.ini \
  LICENSE.txt THIRD-PARTY-NOTICES.txt licenses; do
  check "$f removed" test ! -e "$folder/$f"
done
for f in Settings.ini Bodypart.mdb AccNum.dat AccNum.lck Logs/ErrorLog.log; do
  check "removal keeps $f byte for byte" cmp -s "$work/before/$(basename "$f")" "$folder/$f"
done
check "Start menu entry removed" \
  test ! -e "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Morvik"
check "no longer under Apps & Features" sh -c "! '$wine' reg query '$key' >/dev/null 2>&1"

if [ "$failures" -ne 0 ]; then
  echo "installer-test: $failures failed" >&2
  exit 1
fi
echo "installer-test: setup.exe installs, upgrades and removes as IT support expects"
