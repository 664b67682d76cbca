# Sourced by the Wine scripts of tests/win32: the Wine loader that matches a cross build.
#   wine_for_build BUILD_DIR PREFIX   sets $wine (the loader) and exports WINEPREFIX, WINEARCH
# An i686 build (orvend.dll as the 32-bit IDE loads it) runs under the 32-bit loader in a 32-bit prefix, an
# x86_64 build under the 64-bit loader. Each is called by its path: the plain "wine" command picks the 32-bit
# loader whenever wine32 is installed, whatever the program.
wine_for_build() {
  local build=$1 arch
  arch=$(sed -n 's/^ORVEN_MINGW_ARCH:[A-Z]*=//p' "$build/CMakeCache.txt" 2>/dev/null)
  case $arch in
    i686)
      wine=/usr/lib/wine/wine
      export WINEARCH=win32
      [ -x "$wine" ] || { echo "wine: the 32-bit loader $wine is missing (package wine32:i386)" >&2; return 1; } ;;
    x86_64)
      wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
      export WINEARCH=win64
      [ -x "$wine" ] || { echo "wine: the 64-bit loader $wine is missing (package wine64)" >&2; return 1; } ;;
    *)
      echo "wine: $build is not a MinGW-w64 cross build (no ORVEN_MINGW_ARCH in its CMakeCache.txt)" >&2
      return 1 ;;
  esac
  export WINEPREFIX=$build/$2 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
}
