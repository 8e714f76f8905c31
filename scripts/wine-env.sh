# Sourced by the scripts that run Windows programs: a Wine prefix of the
# project's own under the build folder, set up once, and a persistent
# wineserver so that each program starts in milliseconds.
#   source scripts/wine-env.sh BUILD_DIR
#   ... run programs ...
#   wine_env_stop
# Source it inside the display session (xvfb-run) when programs make
# windows, so that Wine's desktop process lives on that display.
build_dir=$(cd "${1:-build}" && pwd)
export WINEPREFIX="$build_dir/wineprefix"
export WINEDEBUG=-all
export WINEARCH=win32
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Code page 932, and a Unix locale that lets Wine put Shift-JIS names on disk.
export LC_ALL=ja_JP.UTF-8

if [ ! -f "$WINEPREFIX/.parcelon-ready" ]; then
  echo "wine: creating the prefix $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  # Without a window manager each hide or destroy of a top-level window
  # waits 2 s for one unless Wine manages the windows itself.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  # The dialogs' font, "ＭＳ Ｐゴシック", rendered with the IPA font.
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /t REG_SZ /d 'IPAPGothic' /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS PGothic' /t REG_SZ /d 'IPAPGothic' /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.parcelon-ready"
fi

wineserver -p 2>/dev/null || true  # already running is fine
# Wine's background processes start with the first program and keep its
# standard handles; start them here, so that they hold no pipe a test
# runner waits on.
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
wine_env_stop() { wineserver -k 2>/dev/null || true; }
