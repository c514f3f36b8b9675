#!/usr/bin/env bash
# Runs a Windows program of the build under Wine, on the build's private
# prefix, inside a virtual display when there is no display.
#   wine-run.sh --setup     create the prefix and, without a display, start Xvfb;
#                           prepare the folder that refuses new files
#   wine-run.sh --cleanup   stop the prefix's Wine server and that Xvfb; remove that folder
#   wine-run.sh PROGRAM ARGS...
#   QC_DPI=144 wine-run.sh PROGRAM ARGS...
#                           run at that display scale (the prefix's LogPixels,
#                           put back as it was when the program has ended)
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=${QC_BUILD_DIR:-$(cd "$here/../build/windows" 2>/dev/null && pwd)}
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml,winemenubuilder.exe="}
display_file="$build/wine-display"
# A folder whose files may be changed but to which no file may be added, for
# the tests of saving there. Only root on a file system such as ext4 can make
# one (chattr +i); without it the folder is absent and those tests skip.
refusing="$build/refusing-folder"

remove_refusing_folder() {
  if [ -n "$build" ] && [ -d "$refusing" ]; then chattr -i "$refusing" 2>/dev/null; rm -rf "$refusing"; fi
  # A test killed while the Windows folder refused new files leaves it so.
  if [ -d "$WINEPREFIX/drive_c/windows" ]; then chattr -i "$WINEPREFIX/drive_c/windows" 2>/dev/null || true; fi
}

find_tool() {
  for t in "$@"; do
    if command -v "$t" >/dev/null 2>&1; then command -v "$t"; return 0; fi
    if [ -x "/usr/lib/wine/$t" ]; then echo "/usr/lib/wine/$t"; return 0; fi
  done
  return 1
}
WINE=$(find_tool wine64 wine wine-stable) || { echo "wine is not installed" >&2; exit 127; }
WINESERVER=$(find_tool wineserver64 wineserver wineserver-stable) || { echo "wineserver is not installed" >&2; exit 127; }
WINEBOOT=$(find_tool wineboot wineboot-stable) || WINEBOOT=""

use_display() {
  if [ -f "$display_file" ]; then export DISPLAY=$(cat "$display_file"); fi
}

case "${1:-}" in
  --setup)
    mkdir -p "$build"
    if [ -z "${DISPLAY:-}" ] || [ -f "$display_file" ]; then
      if [ -f "$display_file.pid" ]; then kill "$(cat "$display_file.pid")" 2>/dev/null; fi
      rm -f "$display_file" "$display_file.pid"
      for n in $(seq 91 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        pid=$!
        for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
        if kill -0 "$pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
          echo ":$n" > "$display_file"; echo "$pid" > "$display_file.pid"; break
        fi
      done
      [ -f "$display_file" ] || { echo "could not start Xvfb" >&2; exit 1; }
    fi
    remove_refusing_folder
    if [ -n "$build" ] && mkdir "$refusing" 2>/dev/null; then
      for f in QUILLCRD.DAT export.txt notes.txt; do : > "$refusing/$f"; done
      chattr +i "$refusing" 2>/dev/null || remove_refusing_folder
    fi
    use_display
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      if [ -n "$WINEBOOT" ]; then "$WINEBOOT" -i >/dev/null 2>&1; else "$WINE" wineboot -i >/dev/null 2>&1; fi
      "$WINESERVER" -w
      # Without a window manager in the virtual display, Wine would wait two
      # seconds for one each time a window is hidden: let Wine place windows itself.
      "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
      "$WINESERVER" -w
    fi
    # Wine draws the caption buttons (close, minimise) and the other small
    # symbols of its controls with the Marlett font. Debian's fonts-wine puts
    # it in /usr/share/wine/fonts, where this Wine does not look for fonts;
    # without a copy in the prefix's font folder the close button shows as
    # the letter "r".
    fonts="$WINEPREFIX/drive_c/windows/Fonts"
    for font in marlett.ttf; do
      if [ -f "/usr/share/wine/fonts/$font" ] && ! cmp -s "/usr/share/wine/fonts/$font" "$fonts/$font"; then
        mkdir -p "$fonts" && cp "/usr/share/wine/fonts/$font" "$fonts/$font"
      fi
    done
    # Keep one server and Wine's own service processes alive for the whole
    # run, started here with their output away from the test runner's pipes
    # (a runner waits for every process that holds them).
    "$WINESERVER" -p >/dev/null 2>&1
    if [ -f "$build/wine-keeper.pid" ]; then kill "$(cat "$build/wine-keeper.pid")" 2>/dev/null; fi
    setsid bash -c 'sleep infinity | "$0" cmd.exe >/dev/null 2>&1' "$WINE" </dev/null >/dev/null 2>&1 &
    echo $! > "$build/wine-keeper.pid"
    "$WINE" cmd.exe /c exit </dev/null >/dev/null 2>&1
    # The desktop process, which the first window would otherwise start.
    setsid "$WINE" explorer.exe /desktop </dev/null >/dev/null 2>&1 &
    for _ in $(seq 1 50); do pgrep -f 'explorer.exe /desktop' >/dev/null && break; sleep 0.1; done
    exit 0 ;;
  --cleanup)
    if [ -f "$build/wine-keeper.pid" ]; then kill -- -"$(cat "$build/wine-keeper.pid")" 2>/dev/null; rm -f "$build/wine-keeper.pid"; fi
    "$WINESERVER" -k >/dev/null 2>&1
    "$WINESERVER" -w >/dev/null 2>&1
    if [ -f "$display_file.pid" ]; then kill "$(cat "$display_file.pid")" 2>/dev/null; fi
    rm -f "$display_file" "$display_file.pid"
    remove_refusing_folder
    exit 0 ;;
esac

use_display
# The display scale: Wine reads the DPI of its screen from LogPixels under
# HKCU\Control Panel\Desktop when a process starts (96 when there is none).
# Tests share the prefix, one at a time, so the value is given back at the end.
dpi_key='HKCU\Control Panel\Desktop'
previous_dpi=""
if [ -n "${QC_DPI:-}" ]; then
  previous_dpi=$("$WINE" reg query "$dpi_key" /v LogPixels 2>/dev/null | awk '/LogPixels/ { print $3 }' | tr -d '\r')
  "$WINE" reg add "$dpi_key" /v LogPixels /t REG_DWORD /d "$QC_DPI" /f >/dev/null 2>&1
fi
restore_dpi() {
  [ -n "${QC_DPI:-}" ] || return 0
  if [ -n "$previous_dpi" ]; then
    "$WINE" reg add "$dpi_key" /v LogPixels /t REG_DWORD /d "$((previous_dpi))" /f >/dev/null 2>&1
  else
    "$WINE" reg delete "$dpi_key" /v LogPixels /f >/dev/null 2>&1
  fi
}
trap restore_dpi EXIT
# The program's output goes through a file: Wine may start its own helper
# processes from the program, and they would keep a pipe to the test runner
# open long after the program has ended.
out=$(mktemp)
"$WINE" "$@" >"$out" 2>&1
rc=$?
cat "$out"
rm -f "$out"
exit $rc
