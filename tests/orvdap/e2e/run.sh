#!/usr/bin/env bash
# Runs orvdap's end-to-end tests: mocha with the Debug Adapter Protocol test client, both installed here from
# the committed lockfile.
#   tests/orvdap/e2e/run.sh [ORVDAP]   the adapter to test (default: $ORVDAP_EXECUTABLE; unset skips the tests)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
if [ $# -gt 0 ]; then
  ORVDAP_EXECUTABLE=$1
fi
# The tests run from this folder: a relative path given from elsewhere is made absolute first.
if [ -n "${ORVDAP_EXECUTABLE:-}" ]; then
  ORVDAP_EXECUTABLE=$(realpath "$ORVDAP_EXECUTABLE")
  export ORVDAP_EXECUTABLE
fi
"$root/scripts/npm-ci.sh" "$here"
cd "$here"
exec node_modules/.bin/mocha
