#!/usr/bin/env bash
# Installs what building and testing Parcelon needs on Debian 12, and only
# what is missing: a second run finds everything present and does nothing.
set -euo pipefail

packages=(
  g++-mingw-w64-i686 binutils-mingw-w64-i686 cmake make
  wine wine32:i386 xvfb xauth
  googletest locales fonts-ipafont-gothic imagemagick
  clang libclang-rt-14-dev
)

sudo_() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "setup: adding the i386 architecture"
  sudo_ dpkg --add-architecture i386
  missing+=("${packages[@]}")
else
  for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  sudo_ apt-get update -qq
  sudo_ apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine needs the Unix locale to put Shift-JIS file names on disk.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "setup: generating the ja_JP.UTF-8 locale"
  sudo_ localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
