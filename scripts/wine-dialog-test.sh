#!/usr/bin/env bash
# Runs the dialog tests of the Windows build under Wine on a virtual X display and takes a
# screenshot of each dialog while it is up: the test program writes the dialog's place on the
# screen into a file, this script photographs that part of the screen and answers with a
# "done" file. The PNGs are left in the build folder.
#   scripts/wine-dialog-test.sh build/windows/test_dialogs.exe [build/windows [test options]]
set -euo pipefail
program=$(realpath "$1")
out=$(realpath "${2:-$(dirname "$1")}")
shift $(($# < 2 ? $# : 2))
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# A Wine prefix of its own: a Wine desktop started by another program without a display (the
# other tests run headless) must not be the one these windows go to.
export WINEPREFIX=$out/wine-dialogs

if [ -z "${VELKORA_ON_XVFB:-}" ]; then
  for tool in xvfb-run import wine wineserver winepath; do
    command -v "$tool" >/dev/null || { echo "wine-dialog-test: $tool is missing (packages xvfb, imagemagick, wine)"; exit 1; }
  done
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init >/dev/null 2>&1 || true
  fi
  # The symbols of the caption's buttons.
  fonts=$WINEPREFIX/drive_c/windows/Fonts
  for marlett in /usr/share/wine/fonts/marlett.ttf /usr/lib/wine/fonts/marlett.ttf; do
    [ -f "$marlett" ] && [ ! -f "$fonts/marlett.ttf" ] && mkdir -p "$fonts" && cp "$marlett" "$fonts/"
  done
  # Without a window manager on the virtual screen Wine draws the frames and captions itself.
  wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f >/dev/null
  wineserver -k 2>/dev/null || true
  wineserver -w
  export VELKORA_ON_XVFB=1
  status=0
  xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$program" "$out" "$@" || status=$?
  wineserver -k 2>/dev/null || true
  exit "$status"
fi

shots=$out/dialog-shots
rm -rf "$shots"
mkdir -p "$shots"
rm -f "$out"/dialog-*.png
VELKORA_SCREENSHOTS=$(winepath -w "$shots")
export VELKORA_SCREENSHOTS

wine "$program" "$@" &
pid=$!
while kill -0 "$pid" 2>/dev/null; do
  for geometry in "$shots"/*.geometry; do
    [ -e "$geometry" ] || continue
    name=$(basename "$geometry" .geometry)
    import -window root -crop "$(cat "$geometry")" +repage "$out/$name.png" || echo "no screenshot of $name"
    rm -f "$geometry"
    touch "$shots/$name.done"
    echo "screenshot: $out/$name.png"
  done
  sleep 0.2
done
status=0
wait "$pid" || status=$?
rm -rf "$shots"
exit "$status"
