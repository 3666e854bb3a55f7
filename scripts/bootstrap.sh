#!/usr/bin/env bash
# Installs everything a fresh Debian machine lacks for both builds, and fetches the
# minizip sources for the Windows build into the build folder (never into the source tree).
# Safe to run again: it only does what is still missing.
#
#   scripts/bootstrap.sh [--bench]     --bench: also the benchmark's peer installer (NSIS)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
deps="$root/build/deps"

packages=(
  cmake ninja-build g++ pkg-config dpkg-dev
  g++-mingw-w64-x86-64 libz-mingw-w64-dev
  zlib1g-dev libminizip-dev
  wine wine64
  xvfb xauth xdotool x11-apps imagemagick fonts-wqy-microhei
  clang libclang-rt-14-dev
  googletest
  zip unzip p7zip-full libarchive-tools python3 locales
  osslsigncode openssl
)
[ "${1:-}" != --bench ] || packages+=(nsis)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# minizip: Debian ships its sources only as a source package. A private source list is
# derived from the system's own, so the machine's apt configuration stays untouched.
if [ ! -f "$deps/minizip/unzip.c" ]; then
  work="$deps/minizip-fetch"
  rm -rf "$work"
  mkdir -p "$work/parts" "$work/lists/partial"
  src_list=/etc/apt/sources.list.d/debian.sources
  if [ -f "$src_list" ]; then
    sed -n '/^Types:/!{p;d}; s/^Types:.*/Types: deb-src/p' "$src_list" \
      | awk 'BEGIN{RS="";ORS="\n\n"} !/security/' > "$work/parts/debian.sources"
  else
    grep -h '^deb ' /etc/apt/sources.list 2>/dev/null | grep -v security \
      | sed 's/^deb /deb-src /' > "$work/parts/debian.list"
  fi
  A=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$work/parts" -o "Dir::State::Lists=$work/lists")
  apt-get "${A[@]}" update -qq
  (cd "$work" && apt-get "${A[@]}" source --download-only minizip >/dev/null 2>&1 \
      || apt-get "${A[@]}" source --download-only minizip)
  (cd "$work" && dpkg-source --no-check -x ./*.dsc unpacked >/dev/null)
  found=$(dirname "$(find "$work/unpacked" -name unzip.c | head -n 1)")
  mkdir -p "$deps/minizip"
  cp "$found"/{ioapi.c,ioapi.h,unzip.c,unzip.h,zip.c,zip.h,crypt.h} "$deps/minizip/"
  rm -rf "$work"
  echo "bootstrap: minizip sources in $deps/minizip"
fi
