#!/usr/bin/env bash
# Sets up what is missing, builds Parcelon.dll and the demo host, shows what
# the library exports, and starts the demo host (ParcelonDemo.exe) with the
# plug-in loaded:
#   - with a display (DISPLAY reachable, and not CI=true): its window, for
#     the person at the keyboard; sample mail in build/demo/data/;
#   - without one: a short scripted tour under Xvfb that leaves screenshots
#     (build/demo/*.png) and a log of what the host was asked to do
#     (build/demo/tour.log), and fails when a step did not happen.
# PARCELON_DEMO=tour or PARCELON_DEMO=window chooses instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
source scripts/build.sh >/dev/null
lib="$BUILD_DIR/bin/Parcelon.dll"
echo "Parcelon.dll: $(cd "$(dirname "$lib")" && pwd)/$(basename "$lib")"
echo "Exports (ordinal name):"
i686-w64-mingw32-objdump -p "$lib" | awk '
  /\[Ordinal\/Name Pointer\] Table/ { on = 1; next }
  on && /^[ \t]*\[/ { gsub(/[\[\]]/, ""); printf "  %2d %s\n", $1 + 1, $2; next }
  on { on = 0 }' | sort -n

demo="$BUILD_DIR/bin/ParcelonDemo.exe"
out="$BUILD_DIR/demo"

# Whether an X display is there to open a window on.
display_reachable() {
  [ "${CI:-}" != true ] && [ -n "${DISPLAY:-}" ] || return 1
  if command -v xdpyinfo >/dev/null 2>&1; then
    xdpyinfo >/dev/null 2>&1
    return
  fi
  local host=${DISPLAY%%:*} n=${DISPLAY#*:}
  n=${n%%.*}
  [[ $n =~ ^[0-9]+$ ]] || return 1
  if [ -z "$host" ] || [ "$host" = unix ]; then
    [ -S "/tmp/.X11-unix/X$n" ]
  else
    timeout 3 bash -c "exec 3<>/dev/tcp/$host/$((6000 + n))" 2>/dev/null
  fi
}

# The demo's own switch for letting a window manager manage its windows.
managed='HKCU\Software\Wine\AppDefaults\ParcelonDemo.exe\X11 Driver'

mode=${PARCELON_DEMO:-}
if [ -z "$mode" ]; then
  if display_reachable; then mode=window; else mode=tour; fi
fi

if [ "$mode" = window ]; then
  echo "Starting the demo host on $DISPLAY (right-click a message; close the window to end)."
  # With a window manager, let it manage the demo's windows (the prefix
  # leaves that off for the window-manager-less test display).
  bash scripts/in-display.sh "$BUILD_DIR" bash -c '
    trap "wine reg delete \"\$1\" /f >/dev/null 2>&1 || true" EXIT
    wine reg add "$1" /v Managed /t REG_SZ /d Y /f >/dev/null 2>&1
    wine "$2"' _ "$managed" "$demo"
  exit
fi

echo "No display: a scripted tour of the demo host under Xvfb."
mkdir -p "$out"
rm -f "$out"/[0-9][0-9]-*.bmp "$out"/[0-9][0-9]-*.png
# The steps and any failure here; every call and check in the log.
set +e
xvfb-run -a -s "-screen 0 1280x1024x24" \
  bash scripts/in-display.sh "$BUILD_DIR" bash -c '
    wine reg delete "$1" /f >/dev/null 2>&1  # in case a window session was cut short
    exec wine "$2" --tour --out "$3"' _ "$managed" "$demo" "$out" 2>&1 |
  { grep --line-buffered -vE '^ *[0-9.]+  (host|plug-in|tour:   ok:)' || true; }
status=${PIPESTATUS[0]}
set -e
for bmp in "$out"/[0-9][0-9]-*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo "Screenshots: $(cd "$out" && pwd)/*.png"
echo "Log:         $(cd "$out" && pwd)/tour.log"
echo "Sample data: $(cd "$out" && pwd)/data/"
exit $status
