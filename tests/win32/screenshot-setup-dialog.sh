#!/usr/bin/env bash
# Screenshot of the Win32 setup dialog (dialog resource 5004 of orvend.dll) under Wine on a virtual X screen:
#   tests/win32/screenshot-setup-dialog.sh [BUILD_DIR]     (default build-win64; writes
#   docs/screenshots/orvend-setup-win32.png)
# The test host opens the dialog through DllUv3Cap and leaves it up for a few seconds; the screen is grabbed
# meanwhile and cut to the dialog.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(cd "${1:-build-win64}" && pwd)
out=$PWD/docs/screenshots/orvend-setup-win32.png
command -v xvfb-run >/dev/null || { echo "xvfb-run missing (package xvfb)" >&2; exit 1; }
command -v import >/dev/null || { echo "ImageMagick missing (package imagemagick)" >&2; exit 1; }

# A prefix of its own: the test prefix uses the null graphics driver, this one draws on X.
source tests/win32/wine-env.sh
wine_for_build "$build" wine-prefix-x11

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -e
  cd "$1/bin"
  if [ ! -f "$WINEPREFIX/.orven-ready" ]; then
    "$2" wineboot --init >/dev/null 2>&1 || true
    # As on a Chinese Windows: the dialog font takes a CJK face (the Linux one the project uses elsewhere),
    # and a virtual desktop so that Wine draws the caption and frame itself (there is no window manager).
    for face in "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma"; do
      "$2" reg add "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes" /v "$face" \
        /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1
    done
    "$2" reg add "HKCU\\Software\\Wine\\Explorer" /v Desktop /d Default /f >/dev/null 2>&1
    "$2" reg add "HKCU\\Software\\Wine\\Explorer\\Desktops" /v Default /d 1024x768 /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.orven-ready"
  fi
  ORVEN_DEVICE=sim ORVEN_SIM_VIRTUAL=1 "$2" ./orvend_wine_host.exe --setup-dialog 6000 >"$1/setup-shot.transcript" 2>&1 &
  host=$!
  sleep 4
  import -window root "$1/setup-shot-screen.png"
  wait $host
' _ "$build" "$wine"

# The dialog sits centred on the 1024x768 screen; its size comes from the host's transcript.
size=$(sed -n 's/.* \([0-9]*x[0-9]*\) pixels.*/\1/p' "$build/setup-shot.transcript" | head -1)
w=${size%x*}; h=${size#*x}
x=$(( (1024 - w) / 2 )); y=$(( (768 - h) / 2 ))
convert "$build/setup-shot-screen.png" -crop "$((w + 1))x$((h + 1))+${x}+${y}" +repage "$out"
echo "screenshot: $out (${w}x${h})"
