#!/usr/bin/env bash
# Builds the Debian package of the programs (orven-tools_VERSION_ARCH.deb in BUILD_DIR/package/) and beside it
# the VS Code extension that starts orvdap (orven-debug-VERSION.vsix).
#   scripts/package.sh [BUILD_DIR]           build (only what is missing) and package
#   scripts/package.sh --check [BUILD_DIR]   the same, then check the extension's manifest, unpack the Debian
#                                            package into an empty root, run the installed programs from there
#                                            and let lintian look at it
set -euo pipefail
cd "$(dirname "$0")/.."
check=0
if [ "${1:-}" = "--check" ]; then
  check=1
  shift
fi
build=${1:-build}
scripts/setup.sh "$build" -DORVEN_WERROR=ON
rm -rf "$build/package"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/package/*.deb)
echo "package: $deb"
dpkg-deb --info "$deb" | sed -n 's/^ *\(Depends\|Recommends\):/  \1:/p'

# The extension, packaged with the vsce its lockfile pins; it carries no npm packages of its own.
version=$(dpkg-deb --field "$deb" Version)
vsix=$(realpath "$build/package")/orven-debug-$version.vsix
scripts/npm-ci.sh editors/vscode
(cd editors/vscode && node_modules/.bin/vsce package --no-dependencies --allow-missing-repository -o "$vsix" >/dev/null)
echo "package: $vsix"
[ "$check" -eq 1 ] || exit 0

node scripts/check-vsix.js "$vsix" "$version"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
# The installed program must find its chip configuration files under share/orven/ beside its bin/: the
# simulated chip reads back the factory defaults of MEGA16.cfg, and the items are decoded from the same file.
out=$(cd / && env -i PATH=/usr/bin:/bin HOME="$root" "$root/usr/bin/tormik-cli" --simulate --chip "ATmega16 [ISP]" fuse-read)
echo "$out" | sed -n '1,4p'
grep -q '^E1 99 ' <<<"$out" || { echo "package check: the factory defaults were not read back" >&2; exit 1; }
grep -q '^\[欠压检测\] BODEN = ' <<<"$out" || { echo "package check: the configuration file was not found" >&2; exit 1; }
# The installed debug host finds the installed driver library beside it (../lib/) and debugs on the simulator.
out=$(cd / && env -i PATH=/usr/bin:/bin HOME="$root" "$root/usr/bin/orvhost" --simulate --options -E0 -e init -e regs)
echo "$out"
grep -q '^PC=0000 ' <<<"$out" || { echo "package check: the installed orvhost did not reach its driver" >&2; exit 1; }
# The installed debug adapter answers an editor's first request.
request='{"seq":1,"type":"request","command":"initialize","arguments":{"adapterID":"orven"}}'
out=$(printf 'Content-Length: %d\r\n\r\n%s' "${#request}" "$request" | env -i PATH=/usr/bin:/bin "$root/usr/bin/orvdap")
grep -q '"command":"initialize".*"success":true' <<<"$out" || { echo "package check: the installed orvdap did not answer initialize" >&2; exit 1; }
# ... and launches a program on the simulator through the installed driver library beside it (../lib/).
frame() { printf 'Content-Length: %d\r\n\r\n%s' "${#1}" "$1"; }
launch='{"seq":2,"type":"request","command":"launch","arguments":{"program":"'"$PWD"'/data/examples/blink.hex","device":"sim","stopOnEntry":true}}'
out=$({ frame "$request"; frame "$launch"; frame '{"seq":3,"type":"request","command":"disconnect","arguments":{}}'; } |
  (cd / && env -i PATH=/usr/bin:/bin ORVEN_SIM_VIRTUAL=1 "$root/usr/bin/orvdap"))
grep -q '"command":"launch","request_seq":2,"seq":[0-9]*,"success":true' <<<"$out" || { echo "package check: the installed orvdap did not launch on its driver" >&2; echo "$out" >&2; exit 1; }
lintian --fail-on error --suppress-tags-from-file /dev/null "$deb"
echo "package check passed"
