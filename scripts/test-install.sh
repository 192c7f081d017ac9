#!/usr/bin/env bash
# Checks the install rules and the Debian package against the build folder (default preset, built):
# an install moved to another place and run from another folder writes the same drawings as the build
# folder's programs; the package holds what the install rules put there, its programs run, and lintian
# finds nothing that packaging/debian/NOTES.md does not explain.
#   scripts/test-install.sh [BUILD]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build/default}
sample=$root/samples/dynblocks.dxf
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "test-install: $*" >&2; exit 1; }

# What the build folder's programs write, to compare with.
mkdir -p "$work/expected" "$work/elsewhere"
for release in 2004 2008; do
  "$build/bin/vrkhost" --release $release "$sample" -c vrk -c "SAVEAS $work/expected/host-$release.dxf" >/dev/null 2>&1
  "$build/bin/vrkconvert" --release $release "$sample" "$work/expected/convert-$release.dxf" >/dev/null 2>&1
done
version=$("$build/bin/vrkhost" --version | awk '{print $NF}')
[ -n "$version" ] || fail "vrkhost --version printed no version"

# Runs the programs of an installed tree from another folder and compares what they write.
check_tree() {
  local bin=$1 what=$2
  local out=$work/out-${what// /-}
  mkdir -p "$out"
  for program in vrkhost vrkconvert vrkbatch; do
    [ -x "$build/bin/$program" ] || continue
    [ -x "$bin/$program" ] || fail "$what: $program is missing"
    [ "$("$bin/$program" --version | awk '{print $NF}')" = "$version" ] || fail "$what: $program --version differs"
  done
  for release in 2004 2008; do
    (cd "$work/elsewhere" && "$bin/vrkhost" --release $release "$sample" -c vrk -c "SAVEAS $out/host-$release.dxf") >/dev/null 2>&1 ||
      fail "$what: vrkhost --release $release failed"
    (cd "$work/elsewhere" && "$bin/vrkconvert" --release $release "$sample" "$out/convert-$release.dxf") >/dev/null 2>&1 ||
      fail "$what: vrkconvert --release $release failed"
    cmp -s "$out/host-$release.dxf" "$work/expected/host-$release.dxf" || fail "$what: vrkhost wrote another drawing"
    cmp -s "$out/convert-$release.dxf" "$work/expected/convert-$release.dxf" || fail "$what: vrkconvert wrote another drawing"
  done
  if [ -x "$bin/vrkbatch" ]; then
    mkdir -p "$out/batch-in" && cp "$sample" "$out/batch-in/"
    (cd "$work/elsewhere" && "$bin/vrkbatch" -q --out "$out/batch" "$out/batch-in") >/dev/null 2>&1 ||
      fail "$what: vrkbatch failed"
    cmp -s "$out/batch/dynblocks.dxf" "$work/expected/host-2008.dxf" || fail "$what: vrkbatch wrote another drawing"
  fi
  echo "$what: the programs run from another folder and write what the build folder's write"
}

# An install, moved elsewhere.
cmake --install "$build" --prefix "$work/prefix" >/dev/null
mv "$work/prefix" "$work/moved"
check_tree "$work/moved/bin" "moved install"
for module in "$work"/moved/lib/varnikel/Varnikel_*; do
  grep -aq "Varnikel $version for AutoCAD" "$module" || fail "$module does not carry its version"
done

# The Debian package: its files are those of the install rules under /usr, and its programs run.
if command -v dpkg-deb >/dev/null && command -v dpkg-shlibdeps >/dev/null; then
  (cd "$build" && cpack -G DEB -B "$work/package" >/dev/null)
  deb=$(ls "$work"/package/*.deb)
  DESTDIR="$work/staged" cmake --install "$build" --prefix /usr >/dev/null
  (cd "$work/staged" && find . ! -type d | sed 's|^\.||' | sort) >"$work/installed.txt"
  dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\.||' | sort >"$work/packaged.txt"
  diff -u "$work/installed.txt" "$work/packaged.txt" >&2 || fail "the package's files differ from the install rules"
  dpkg-deb -x "$deb" "$work/unpacked"
  check_tree "$work/unpacked/usr/bin" "Debian package"
  dpkg-deb -f "$deb" Depends | grep -q libc6 || fail "the package's dependencies were not computed"
  if command -v lintian >/dev/null; then
    # Tags explained in packaging/debian/NOTES.md are accepted; anything else fails.
    suppressed=$(sed -n 's/^- `\([a-z0-9-]*\)`.*/\1/p' packaging/debian/NOTES.md | paste -sd, -)
    lintian --tag-display-limit 0 --fail-on error,warning ${suppressed:+--suppress-tags "$suppressed"} "$deb" >&2 ||
      fail "lintian found problems in $(basename "$deb")"
    echo "lintian: $(basename "$deb") is clean"
  fi
else
  echo "test-install: dpkg-deb or dpkg-shlibdeps is missing; the Debian package was not checked" >&2
fi
