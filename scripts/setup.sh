#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine (only what is missing), then configures
# and builds. Usage: scripts/setup.sh [BUILD_DIR] [extra cmake args...]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake ninja-build pkg-config git
  clang libclang-rt-14-dev llvm
  qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev
  libhidapi-dev
  libreadline-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev
  sdcc sdcc-ucsim
  binutils
  dpkg-dev lintian
  xvfb xauth fonts-wqy-microhei imagemagick
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

build=${1:-build}
shift || true
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
fi
# ORVEN_TARGETS="a b" builds only those targets (the sanitizer builds need only the parts they test).
if [ -n "${ORVEN_TARGETS:-}" ]; then
  cmake --build "$build" -j"$(nproc)" --target $ORVEN_TARGETS
else
  cmake --build "$build" -j"$(nproc)"
fi
