#!/usr/bin/env bash
# Cross-builds the debugger driver for Windows with MinGW-w64: orvend.dll for the 32-bit IDE in build-win32/
# and a 64-bit twin in build-win64/. Installs the cross compilers and Wine (64-bit, and the 32-bit loader from
# the i386 architecture, which it adds to dpkg) with apt when they are missing.
#   scripts/build-windows.sh           build both
#   scripts/build-windows.sh --check   build both, check the DLLs' exports and imports, run the Wine session
#                                      on each: build-win32/ under 32-bit Wine, build-win64/ under 64-bit Wine
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-build}

packages=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
          cmake ninja-build)
if [ "$mode" = --check ]; then
  # wine32:i386 is the 32-bit loader the IDE's own DLL runs under.
  packages+=(wine64 wine wine32:i386)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "build-windows: installing ${missing[*]}"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  if [[ " ${missing[*]}" == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "build-windows: adding the i386 architecture to dpkg"
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
jobs=$(nproc)

build_one() {  # build_one DIR ARCH
  local dir=$1 arch=$2
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
      -DORVEN_MINGW_ARCH="$arch" -DORVEN_DRIVER_ONLY=ON -DORVEN_WERROR=ON "${launcher[@]}" >/dev/null
  fi
  cmake --build "$dir" -j"$jobs"
}

build_one build-win32 i686
build_one build-win64 x86_64

if [ "$mode" = --check ]; then
  scripts/check-windows.sh
fi
