#!/usr/bin/env bash
# Builds the Windows modules with mingw-w64 and runs the test suites under Wine.
#
# The deliverables are 32-bit (preset "windows", i686).  Their tests run under 32-bit Wine where the
# kernel runs 32-bit code; where it does not (kernels without IA-32 emulation), the 32-bit modules
# are still built and their exports checked, and the suites run on the 64-bit build of the same
# sources (preset "windows-x64") under wine64.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
[ "$jobs" -gt 2 ] && jobs=2
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# Can this kernel run 32-bit x86 code?  A 96-byte static i386 program that exits with status 7.
probe=$(mktemp)
printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x07\x00\x00\x00\xcd\x80' >"$probe"
chmod +x "$probe"
status=0
"$probe" 2>/dev/null || status=$?
rm -f "$probe"
if [ "$status" -eq 7 ]; then run32=1; else run32=0; fi

packages=(g++-mingw-w64-i686 wine locales cmake make libcli11-dev nlohmann-json3-dev unzip)
if [ "$run32" -eq 1 ]; then
  packages+=(wine32:i386)
else
  packages+=(g++-mingw-w64-x86-64 wine64)
fi
scripts/install-deps.sh "${packages[@]}"

# Locales whose system locale identifiers the tests check (2052, 1028, 1033), and in which non-ASCII
# file names survive.
for l in zh_CN zh_TW en_US; do
  locale -a 2>/dev/null | grep -qix "$l.utf-\?8" || $sudo localedef -i "$l" -f UTF-8 "$l.UTF-8"
done

# The 32-bit deliverables: exactly the two entry points, undecorated.
echo "== windows (i686)"
cmake --preset windows >/dev/null
if [ "$run32" -eq 1 ]; then
  cmake --build --preset windows -j"$jobs" >/dev/null
else
  # What the zip holds: the modules and the programs; and the plug-in sources checked as C++98 against
  # the Windows flavour of the host declarations.
  cmake --build --preset windows -j"$jobs" --target Varnikel_2004 Varnikel_2005 Varnikel_2006 Varnikel_2007 \
    Varnikel_2008 vrkhost vrkconvert vrkbatch plugin_dialect >/dev/null
fi
for f in build/windows/bin/Varnikel_200{4,5,6}.arx build/windows/bin/Varnikel_200{7,8}.dll; do
  file_format=$(i686-w64-mingw32-objdump -f "$f" | sed -n 's/.*file format //p')
  exports=$(i686-w64-mingw32-objdump -p "$f" | awk '/\[Ordinal\/Name Pointer\] Table/{t=1; next} t && NF==0{t=0} t{print $NF}' | sort | tr '\n' ' ')
  if [ "$file_format" != "pei-i386" ] || [ "$exports" != "acrxEntryPoint acrxGetApiVersion " ]; then
    echo "$f: format $file_format, exports: $exports" >&2
    exit 1
  fi
done
echo "five PE32 modules, each exporting only acrxEntryPoint and acrxGetApiVersion"
# Each carries the project's version in its version resource.
version=$(sed -n 's/^project(Varnikel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
for f in build/windows/bin/Varnikel_200{4,5,6}.arx build/windows/bin/Varnikel_200{7,8}.dll; do
  [ "$(strings -el "$f" | grep -A1 -x FileVersion | tail -n1)" = "$version" ] || { echo "$f: no version $version" >&2; exit 1; }
done
# The CAD manager's zip of the 32-bit build.
(cd build/windows && cpack -G ZIP >/dev/null)
zip32=$(ls build/windows/varnikel-*-i686-windows.zip)
listing=$(unzip -Z1 "$zip32")
for f in bin/Varnikel_2004.arx bin/Varnikel_2005.arx bin/Varnikel_2006.arx bin/Varnikel_2007.dll \
         bin/Varnikel_2008.dll bin/vrkhost.exe bin/vrkhost-r16.exe bin/vrkhost-r17.exe bin/vrkbatch.exe \
         bin/vrkconvert.exe bin/vrkacad_narrow.dll bin/vrkacad_wide.dll README.txt; do
  grep -q "/$f\$" <<<"$listing" || { echo "$zip32 lacks $f" >&2; exit 1; }
done
# Its README.txt sends nobody to load these modules into the CAD program.
readme=$(unzip -p "$zip32" '*/README.txt')
if grep -qi 'APPLOAD' <<<"$readme"; then
  echo "$zip32: README.txt tells to load the modules into the CAD program" >&2
  exit 1
fi
echo "$zip32: the five modules, the host programs and README.txt"

if [ "$run32" -eq 1 ]; then
  preset=windows
  export WINEARCH=win32
  wineserver=wineserver
  wineloader=wine
else
  echo "== this kernel runs no 32-bit code: the suites run on the 64-bit build (windows-x64) under wine64"
  preset=windows-x64
  export WINEARCH=win64
  wineserver=/usr/lib/wine/wineserver64
  wineloader=/usr/lib/wine/wine64
  cmake --preset windows-x64 >/dev/null
  cmake --build --preset windows-x64 -j"$jobs" >/dev/null
fi

# A fresh Wine prefix, its server kept running, so that the tests do not wait on Wine's helpers.
prefix_root=$(mktemp -d)
export WINEPREFIX=$prefix_root/wine WINEDEBUG=-all,err+module WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$prefix_root"
}
trap cleanup EXIT
mkdir -p "$WINEPREFIX"
"$wineserver" -p
"$wineloader" wineboot -i >/dev/null 2>&1
# Under Wine the suites share one real registry: those that use it hold a lock (tests/CMakeLists.txt)
# and run one at a time, the others beside them.
ctest --preset "$preset" -j"$jobs"

# The zip of the build whose programs run here: unpacked, its vrkhost.exe solidifies a drawing with the
# 2008 module as the build folder's does.
if [ "$preset" = windows-x64 ]; then
  (cd build/windows-x64 && cpack -G ZIP >/dev/null)
fi
zip=$(ls build/$preset/varnikel-*-windows.zip)
unzip -q -o "$zip" -d "$prefix_root/zip"
unpacked=$(ls -d "$prefix_root"/zip/varnikel-*)
sample=$PWD/samples/dynblocks.dxf
"$wineloader" "build/$preset/bin/vrkhost.exe" --release 2008 "Z:$sample" -c vrk -c "SAVEAS Z:$prefix_root/expected.dxf" >/dev/null
(cd "$prefix_root" && "$wineloader" "$unpacked/bin/vrkhost.exe" --release 2008 "Z:$sample" -c vrk \
  -c "SAVEAS Z:$prefix_root/from-zip.dxf" >/dev/null)
cmp "$prefix_root/expected.dxf" "$prefix_root/from-zip.dxf"
echo "$(basename "$zip"): its vrkhost.exe solidifies the sample with the 2008 module as the build's does"
