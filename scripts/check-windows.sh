#!/usr/bin/env bash
# Checks the cross-built DLLs (scripts/build-windows.sh builds them): each exports exactly the driver's entry
# points, undecorated, and imports only system DLLs; then runs the Windows test host of each build under Wine
# (32-bit Wine for build-win32, 64-bit Wine for build-win64) against the in-process simulated emulator and
# checks its transcripts.
set -euo pipefail
cd "$(dirname "$0")/.."

expected_exports="AG_AllReg AG_BpInfo AG_BreakFunc AG_GoStep AG_HistFunc AG_Init AG_MemAcc AG_MemAtt AG_RegAcc AG_Serial DllUv3Cap EnumUv351 OrvendSetUi"
# What a plain Windows installation has; the runtime (libstdc++, libgcc, winpthread) must be linked in.
allowed_imports="^(KERNEL32|USER32|GDI32|COMCTL32|SETUPAPI|HID|msvcrt|ucrtbase|api-ms-win-crt-[a-z0-9-]+)\.dll$"

fail=0
check_dll() {  # check_dll OBJDUMP DLL
  local objdump=$1 dll=$2 dump exports imports
  dump=$("$objdump" -p "$dll")
  # Export names sit in the "[Ordinal/Name Pointer] Table" as "[   n] Name".
  exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^\s*\[ *[0-9]*\] \(\S*\)$/\1/p' |
            sort | tr '\n' ' ' | sed 's/ $//')
  if [ "$exports" != "$expected_exports" ]; then
    echo "FAIL $dll exports: $exports" >&2
    fail=1
  else
    echo "ok   $dll exports the 13 entry points, undecorated"
  fi
  imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$dump")
  while read -r name; do
    if ! grep -Eiq "$allowed_imports" <<<"$name"; then
      echo "FAIL $dll imports $name" >&2
      fail=1
    fi
  done <<<"$imports"
  echo "     imports: $(tr '\n' ' ' <<<"$imports")"
}

check_dll i686-w64-mingw32-objdump build-win32/bin/orvend.dll
check_dll x86_64-w64-mingw32-objdump build-win64/bin/orvend.dll
[ $fail -eq 0 ] || exit 1

# The session for each DLL: the i686 one (what the 32-bit IDE loads) under 32-bit Wine, its x86_64 twin under
# 64-bit Wine.
for build in build-win32 build-win64; do
  bits=${build#build-win}
  [ -f "$build/bin/orvend_wine_host.exe" ] || { echo "FAIL $build has no test host; build it first" >&2; fail=1; continue; }
  if tests/win32/run-wine-session.sh "$build"; then
    echo "ok   $build: the Wine session under $bits-bit Wine"
  else
    echo "FAIL $build: the Wine session under $bits-bit Wine" >&2
    fail=1
  fi
done
exit $fail
