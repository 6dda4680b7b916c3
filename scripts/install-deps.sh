#!/usr/bin/env bash
# Installs, with apt-get, what Trovik needs to build, test and run on Debian 12.
# Only missing packages are installed; run as root or with sudo available.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config
  libcli11-dev qt6-base-dev libgl-dev
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xxd bsdextrautils time bc librsvg2-bin
  # fuzzing
  clang libclang-rt-14-dev
  # packaging checks
  dpkg-dev desktop-file-utils appstream man-db
  # real images for the tests and the sample
  fdisk gdisk dosfstools mtools e2fsprogs faketime xorriso genisoimage udftools
  gcc-mingw-w64-x86-64 gcc-mingw-w64-i686 binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
