#!/usr/bin/env bash
# Installs the npm packages of one folder exactly as its committed package-lock.json pins them (npm ci),
# unless they already are. Node.js and npm come from Debian when the machine has none.
#   scripts/npm-ci.sh DIR
set -euo pipefail
dir=${1:?usage: scripts/npm-ci.sh DIR}
if ! command -v npm >/dev/null; then
  echo "npm-ci: installing nodejs npm"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends nodejs npm >/dev/null
fi
stamp=$dir/node_modules/.orven-lock-sha256
want=$(sha256sum "$dir/package-lock.json" | cut -d' ' -f1)
if [ "$(cat "$stamp" 2>/dev/null)" != "$want" ]; then
  # No install scripts: none of these packages needs one to work, and some would fetch prebuilt binaries.
  (cd "$dir" && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error)
  echo "$want" >"$stamp"
fi
