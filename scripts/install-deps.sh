#!/usr/bin/env bash
# Installs what the build and the tests need, from Debian's packages only. Safe to
# run again: packages already present are left alone.
#
# The product is a 32-bit Windows program, so the test bed needs Debian's 32-bit Wine
# (wine32:i386) beside the 64-bit one: that takes the i386 architecture.
set -euo pipefail
sudo=""
[[ $(id -u) -ne 0 ]] && sudo=sudo
export DEBIAN_FRONTEND=noninteractive

packages=(
  cmake ninja-build g++ clang clang-format libclang-rt-14-dev ccache pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-tools
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 wine32:i386 xvfb xdotool x11-apps x11-utils
  xserver-xorg-core xserver-xorg-video-dummy
  libjpeg62-turbo-dev libjpeg-turbo-progs zlib1g-dev
  nsis fp-utils
  libepoxy-dev libegl-dev libegl-mesa0 libgl1-mesa-dri libgbm1 libopenal-dev libx11-dev
  xscreensaver xscreensaver-gl dpkg-dev lintian desktop-file-utils libxdamage-dev
  mate-screensaver-common gir1.2-matemenu-2.0 python3-gi
  procps diffutils
)

added_arch=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "Adding the i386 architecture (for wine32)"
  $sudo dpkg --add-architecture i386
  added_arch=1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0
echo "Installing: ${missing[*]}"
# A new architecture has no package lists until apt-get update has run.
if [[ $added_arch -eq 1 ]] || ! $sudo apt-get install -y -q "${missing[@]}"; then
  $sudo apt-get update -q
  $sudo apt-get install -y -q "${missing[@]}"
fi
