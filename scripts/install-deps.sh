#!/usr/bin/env bash
# Installs what the build and the tests need, from Debian's packages only. Safe to
# run again: packages already present are left alone.
set -euo pipefail
packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev ccache pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  wine wine64 xvfb xdotool x11-apps x11-utils
  libjpeg62-turbo-dev libjpeg-turbo-progs zlib1g-dev
  nsis fp-utils
  procps diffutils
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[[ $(id -u) -ne 0 ]] && sudo=sudo
export DEBIAN_FRONTEND=noninteractive
if ! $sudo apt-get install -y -q "${missing[@]}"; then
  $sudo apt-get update -q
  $sudo apt-get install -y -q "${missing[@]}"
fi
