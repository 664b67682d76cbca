#!/usr/bin/env bash
# Runs the Windows programs of a cross build under Wine and checks what they print: build-win32 under the
# 32-bit loader, build-win64 under the 64-bit one.
#   tests/win32/run-wine-session.sh BUILD_DIR      (build-win32 or build-win64)
# Wine keeps its prefix in BUILD_DIR/wine-prefix; its graphics driver is set to "null" so real (hidden) windows
# and their message queues work without an X server.
set -euo pipefail
build=$(cd "${1:?usage: run-wine-session.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh"
wine_for_build "$build" wine-prefix

if [ ! -f "$WINEPREFIX/.orven-ready" ]; then
  echo "wine: creating the prefix in $WINEPREFIX"
  timeout 300 "$wine" wineboot --init >/dev/null 2>&1 || true
  timeout 120 "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  timeout 120 wineserver -w 2>/dev/null || true
  touch "$WINEPREFIX/.orven-ready"
fi

# Each run names its device choice itself.
unset ORVEN_DEVICE ORVEN_SIM_VIRTUAL ORVEN_HID_SOCKET

status=0
run() {  # run NAME EXPECTED_FILE|- PROGRAM ARGS...
  local name=$1 expected=$2; shift 2
  local out=$build/$name.transcript
  echo "wine: $name"
  if ! (cd "$build/bin" && timeout 300 "$wine" "$@") >"$out" 2>&1; then
    echo "FAIL $name exited with an error; transcript:" >&2
    cat "$out" >&2
    status=1
    return
  fi
  tr -d '\r' <"$out" >"$out.lf"
  if [ "$expected" != - ] && ! diff -u "$expected" "$out.lf" >&2; then
    echo "FAIL $name: the transcript differs from $expected" >&2
    status=1
    return
  fi
  echo "ok   $name"
}

run win32_link_check - ./win32_link_check.exe
run win32_resource_check - ./win32_resource_check.exe
if [ -f "$build/bin/orvend_wine_host.exe" ]; then
  program=$here/../../data/examples/blink.hex
  # The debugging session against the simulated emulator, in virtual time.
  ORVEN_DEVICE=sim ORVEN_SIM_VIRTUAL=1 run orvend_wine_host "$here/orvend_wine_host.expected" \
    ./orvend_wine_host.exe "$program"
  # The setup dialog resource worked through its controls; the product information from the simulator.
  ORVEN_DEVICE=sim ORVEN_SIM_VIRTUAL=1 run orvend_setup_dialog "$here/orvend_setup_dialog.expected" \
    ./orvend_wine_host.exe --setup-dialog 0
  # Real USB through the HID class driver, nothing attached: the connection fails with its box.
  run orvend_no_device "$here/orvend_no_device.expected" \
    ./orvend_wine_host.exe --no-device "$program"
fi
exit $status
