#!/usr/bin/env bash
# Takes the documentation screenshots of the GUI programs under a virtual X server, with the CJK font the
# Chinese texts need, and saves them in docs/screenshots/. Each program grabs its own window when given
# --screenshot FILE, so no window manager or screen capture is involved.
#
# Usage: scripts/screenshots.sh [-b BUILD_DIR] [SHOT...]
#   BUILD_DIR  build directory holding bin/ (default: build); the needed targets are built first
#   SHOT       names of the shots to take (default: all); see the shot_* functions below
#
# To add a shot: write a function shot_NAME that builds its target with `need TARGET` and calls
# `capture FILE.png PROGRAM ARGS...`, then add NAME to the shots list.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build
if [ "${1:-}" = "-b" ]; then
  build=$2
  shift 2
fi
out=docs/screenshots
shots=(hexview hexview_busy tormik tormik_busy cfgedit orvend_setup)

die() { echo "screenshots: $*" >&2; exit 1; }

check_tools() {
  command -v xvfb-run >/dev/null || die "xvfb-run missing (package xvfb; see scripts/setup.sh)"
  fc-list | grep -qi "WenQuanYi Micro Hei" || die "the CJK font is missing (package fonts-wqy-microhei)"
  [ -f "$build/build.ninja" ] || [ -f "$build/Makefile" ] ||
    die "$build is not a configured build directory (run scripts/setup.sh $build first)"
}

# need TARGET... — builds the programs a shot runs.
need() { cmake --build "$build" --target "$@" -j2 >/dev/null; }

# capture FILE PROGRAM ARGS... — runs PROGRAM from the build's bin/ on a fresh virtual screen; the program
# saves its window to docs/screenshots/FILE and exits.
capture() {
  local file=$1 program=$2
  shift 2
  rm -f "$out/$file"
  QT_QPA_PLATFORM=xcb LANG=C.UTF-8 timeout 60 \
    xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" "$build/bin/$program" "$@" --screenshot "$out/$file"
  [ -s "$out/$file" ] || die "$program did not save $out/$file"
  echo "screenshots: $out/$file"
}

# The hex view over an image with data, cursor on a byte (tools/hexview-demo).
shot_hexview() {
  need hexview-demo
  capture hexview.png hexview-demo
}

# The same while a device operation runs: read-only, all areas on the button-face colour.
shot_hexview_busy() {
  need hexview-demo
  capture hexview-busy.png hexview-demo --busy
}

# The chip configuration files the window loads on chip refresh, where the build makes them.
need_config_files() { cmake --build "$build" --target orven_chipcfg_data -j2 >/dev/null 2>&1 || true; }

# A settings file for one shot: the QX410 with the given chip (catalogue index), in a scratch directory.
settings_with_chip() {
  local file
  file=$(mktemp -d)/SETUP.ini
  printf '[SYSTEM]\nMODEL=0\n[QX410]\nChipNO=%s\n' "$1" >"$file"
  echo "$file"
}

# The programming window connected to the simulated QX410, "ATmega16 [ISP]" chosen, the example file loaded.
shot_tormik() {
  need tormik
  need_config_files
  capture tormik.png tormik --simulate --settings "$(settings_with_chip 7)" --connect --load data/examples/blink.hex
}

# The same window half way through an automatic download into "STC12C5A60S2 [ZIF]": controls off, progress bar.
shot_tormik_busy() {
  need tormik
  need_config_files
  capture tormik-busy.png tormik --simulate --settings "$(settings_with_chip 22)" --connect \
    --load data/examples/blink.hex --run auto
}

# The configuration editor on the MEGA16 file: one category closed, BOOTSZ selected with its drop-down open
# (tools/cfgedit-demo; the picture holds the dialog and the open list).
shot_cfgedit() {
  need cfgedit-demo orven_chipcfg_data
  capture cfgedit.png cfgedit-demo
}

# The driver's setup dialog in its Qt view over sample data: an STC chip chosen, an emulator with firmware
# V2.06 build 563 (driver-ui/qt/setup_demo.cpp).
shot_orvend_setup() {
  need orvend-setup-demo
  capture orvend-setup.png orvend-setup-demo
}

check_tools
mkdir -p "$out"
[ $# -gt 0 ] && shots=("$@")
for shot in "${shots[@]}"; do
  declare -F "shot_$shot" >/dev/null || die "no shot named $shot (known: $(declare -F | sed -n 's/^declare -f shot_//p' | tr '\n' ' '))"
  "shot_$shot"
done
