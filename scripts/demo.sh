#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (packages, configure, build), then runs the main job on the built-in
# simulator: program the example HEX file into a simulated "AT89S52 [ZIF]" and verify it, in one call.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build >/dev/null
exec build/bin/tormik-cli --simulate --model qx410 --chip "AT89S52 [ZIF]" \
  auto data/examples/blink.hex verify data/examples/blink.hex
