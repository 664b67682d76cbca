#!/bin/sh
# Runs the C99 host against liborvend.so talking to a separate device process (orven-sim) over its socket.
# usage: over_socket.sh ORVEN_SIM ABI_HOST
set -eu
dir=$(mktemp -d)
trap 'kill "$sim" 2>/dev/null || true; rm -rf "$dir"' EXIT
"$1" --listen "$dir/qx410.sock" --model qx410 &
sim=$!
for _ in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20; do
  [ -S "$dir/qx410.sock" ] && break
  sleep 0.1
done
ORVEN_HID_SOCKET="$dir/qx410.sock" "$2"
