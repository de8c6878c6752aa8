#!/usr/bin/env bash
# The Debian package: built from the tree with cpack, unpacked into a scratch folder
# (dpkg-deb -x, as dpkg would lay it out under /), its files where the README says,
# its dependencies only what the modules link, no lintian error; installed and purged
# by dpkg in a scratch root (as root) without a trace; and the unpacked
# plug-ins, loaded from there through the project's hosts with an empty preset
# library, find the factory presets in the package's shared folder, while a file in
# the user's library still comes first.
# Usage: debian_package_test.sh BUILD_DIR CHECK_EXE PRESET_DIR SCRATCH VERSION
set -euo pipefail
build=$1 check_exe=$2 preset_dir=$3 scratch=$4 version=$5

rm -rf "$scratch"
mkdir -p "$scratch"
failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

echo "== cpack"
(cd "$scratch" && cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1) ||
  { cat "$scratch/cpack.log"; exit 1; }
deb=$scratch/out/moravelle_${version}_amd64.deb
check "the package is moravelle_${version}_amd64.deb" test -f "$deb"
[ -f "$deb" ] || exit 1

root=$scratch/root
dpkg-deb -x "$deb" "$root"
vst3=$root/usr/lib/vst3/Moravelle.vst3
vst2=$root/usr/lib/vst/Moravelle.so
shared=$root/usr/share/moravelle/presets/Factory
check "the VST3 bundle is in /usr/lib/vst3" test -f "$vst3/Contents/x86_64-linux/Moravelle.so"
check "the VST2 module is in /usr/lib/vst" test -f "$vst2"
check "31 factory presets are in /usr/share/moravelle/presets/Factory" \
  test "$(find "$shared" -name '*.moravellepreset' | wc -l)" -eq 31
check "the factory files are the project's" diff -r "$preset_dir" "$shared"
check "the copyright and changelog are in /usr/share/doc/moravelle" \
  test -f "$root/usr/share/doc/moravelle/copyright" -a -f "$root/usr/share/doc/moravelle/changelog.gz"
unexpected=$(cd "$root" && find . -type f | grep -v -e '^./usr/lib/vst3/Moravelle.vst3/' -e '^./usr/lib/vst/Moravelle.so$' \
  -e '^./usr/share/moravelle/presets/Factory/' -e '^./usr/share/doc/moravelle/' || true)
check "nothing else is in it${unexpected:+: $unexpected}" test -z "$unexpected"
check "its modules are stripped" sh -c "! readelf -S '$vst2' | grep -q '\.symtab'"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
check "it depends on the C and C++ runtimes" sh -c "echo '$depends' | grep -q libc6 && echo '$depends' | grep -q libstdc++6"
check "and on the PNG, FreeType, fontconfig, X11 and Xext (shared-memory images) libraries the modules link" \
  sh -c "echo '$depends' | grep -q libpng16 && echo '$depends' | grep -q libfreetype && echo '$depends' | grep -q libfontconfig && echo '$depends' | grep -q libx11-6 && echo '$depends' | grep -q libxext6"
check "and on nothing the modules do not link (no libsndfile, no cairo)" \
  sh -c "! echo '$depends' | grep -q -e sndfile -e cairo"

if command -v lintian >/dev/null; then
  lintian --allow-root --no-tag-display-limit "$deb" >"$scratch/lintian.log" 2>&1 || true
  cat "$scratch/lintian.log"
  check "lintian reports no error" sh -c "! grep -q '^E:' '$scratch/lintian.log'"
else
  echo "FAILED: lintian is not installed (tools/install-deps.sh native)"
  failures=$((failures + 1))
fi

echo "== dpkg installs and purges it in a scratch root"
if [ "$(id -u)" -eq 0 ]; then
  # Its own database and root; the dependencies are the real system's, so not
  # checked here (the Depends line is, above). The maintainer scripts only run ldconfig.
  dpkg_root=$scratch/dpkg-root
  mkdir -p "$dpkg_root/var/lib/dpkg/updates" "$dpkg_root/var/lib/dpkg/info"
  touch "$dpkg_root/var/lib/dpkg/status"
  scratch_dpkg() { dpkg --instdir="$dpkg_root" --admindir="$dpkg_root/var/lib/dpkg" --log=/dev/null \
                     --force-depends --force-script-chrootless "$@" >"$scratch/dpkg.log" 2>&1; }
  check "dpkg -i installs it" scratch_dpkg -i "$deb"
  check "its modules are in place" test -f "$dpkg_root/usr/lib/vst/Moravelle.so"
  check "dpkg --purge removes it" scratch_dpkg --purge moravelle
  left=$(cd "$dpkg_root" && find . -mindepth 1 -not -path './var' -not -path './var/lib' -not -path './var/lib/dpkg*')
  check "and leaves nothing behind${left:+: $left}" test -z "$left"
else
  echo "skipped: dpkg -i and --purge in a scratch root (needs root)"
fi

echo "== the unpacked plug-ins with an empty preset library"
export XDG_DOCUMENTS_DIR=$scratch/documents
mkdir -p "$XDG_DOCUMENTS_DIR"
check "they load, render and find factory preset 10 in the package's shared folder" \
  "$check_exe" --vst2 "$vst2" --vst3 "$vst3" --preset 10 --expect "$shared/DRUM - Deeper.moravellepreset"
echo "== a factory file of the user's library comes first"
mkdir -p "$XDG_DOCUMENTS_DIR/PellionAudio/Moravelle/Presets/Factory"
cp "$shared/SCAPE - Space Drops.moravellepreset" \
  "$XDG_DOCUMENTS_DIR/PellionAudio/Moravelle/Presets/Factory/DRUM - Deeper.moravellepreset"
check "preset 10 loads the library's file" \
  "$check_exe" --vst2 "$vst2" --vst3 "$vst3" --preset 10 \
  --expect "$XDG_DOCUMENTS_DIR/PellionAudio/Moravelle/Presets/Factory/DRUM - Deeper.moravellepreset"

echo "$failures check(s) failed"
[ "$failures" -eq 0 ]
