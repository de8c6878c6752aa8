#!/usr/bin/env bash
# Builds the release files in Release mode and writes them to out/release/:
#   Moravelle-<version>-win64-setup.exe     the Windows installer (NSIS)
#   Moravelle-<version>-win64.zip           the Windows plug-ins and factory presets, to copy by hand
#   moravelle_<version>_amd64.deb           the Debian/Ubuntu package
#   moravelle-<version>-linux-x86_64.tar.gz the Linux plug-ins and factory presets, to copy by hand
#   SHA256SUMS
# The version is the project's (project(VERSION) in CMakeLists.txt). Every archive is
# reproducible: its file times are SOURCE_DATE_EPOCH (the last commit's time unless
# set), its entries sorted, owners and compression headers normalised, and the
# Windows modules carry no link time, and the installer stores no file times, so two
# runs of one commit give the same files (tools/compare-release.sh compares two).
#
# Usage: tools/release.sh [--fresh] [--trees NATIVE_TREE WINDOWS_TREE] [--out DIR]
#   --fresh   build the release trees (build-release, build-release-win) from scratch
#   --trees   package from two existing configured trees instead of the release trees
#             (the test suite packages its own trees this way, without a second build)
#   --out     write somewhere else than out/release
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

fresh=false
native_tree=build-release
windows_tree=build-release-win
own_trees=true
out=$root/out/release
while [ $# -gt 0 ]; do
  case "$1" in
    --fresh) fresh=true; shift ;;
    --trees) native_tree=$2 windows_tree=$3 own_trees=false; shift 3 ;;
    --out) out=$(mkdir -p "$2" && cd "$2" && pwd); shift 2 ;;
    *) echo "usage: tools/release.sh [--fresh] [--trees NATIVE_TREE WINDOWS_TREE] [--out DIR]" >&2; exit 2 ;;
  esac
done

native_tree=$(realpath -m "$native_tree")
windows_tree=$(realpath -m "$windows_tree")

tools/install-deps.sh release >&2
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null || stat -c %Y "$root/CMakeLists.txt")
fi
export SOURCE_DATE_EPOCH
export TZ=UTC LC_ALL=C
jobs=$(nproc)

if $own_trees; then
  if $fresh; then rm -rf "$native_tree" "$windows_tree"; fi
  release_options=(-DCMAKE_BUILD_TYPE=Release -DMORAVELLE_TESTS=OFF -DMORAVELLE_TOOLS=OFF -DMORAVELLE_BENCH=OFF)
  echo "== Linux plug-ins ($native_tree)" >&2
  cmake -S . -B "$native_tree" -G Ninja "${release_options[@]}" >/dev/null
  echo "== Windows plug-ins and installer ($windows_tree)" >&2
  cmake -S . -B "$windows_tree" -G Ninja "${release_options[@]}" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
fi
cmake --build "$native_tree" -j "$jobs" --target moravelle_vst2 moravelle_vst3 moravelle_package_changelog >&2
cmake --build "$windows_tree" -j "$jobs" --target moravelle_vst2 moravelle_vst3 windows-installer >&2

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$native_tree/CMakeCache.txt")
[ -n "$version" ] || { echo "release: no project version in $native_tree" >&2; exit 1; }
mkdir -p "$out"
# Only what an earlier run wrote goes: --out may name a folder that holds other things.
rm -f "$out"/Moravelle-*-win64-setup.exe "$out"/Moravelle-*-win64.zip "$out"/moravelle_*_amd64.deb \
  "$out"/moravelle-*-linux-x86_64.tar.gz "$out"/SHA256SUMS
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# Every file and folder time becomes SOURCE_DATE_EPOCH.
normalise_times() { find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +; }

echo "== the Debian package" >&2
(cd "$stage" && cpack --config "$native_tree/CPackConfig.cmake" -B "$stage/cpack" >/dev/null)
cp "$stage/cpack/moravelle_${version}_amd64.deb" "$out/"

echo "== the Linux archive" >&2
linux_name=moravelle-$version-linux-x86_64
cmake --install "$native_tree" --component package --prefix "$stage/$linux_name" --strip >/dev/null
cp README.md "$stage/$linux_name/share/doc/moravelle/README.md"
normalise_times "$stage/$linux_name"
tar -C "$stage" --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner --format=gnu \
  -cf - "$linux_name" | gzip -n -9 >"$out/$linux_name.tar.gz"

echo "== the Windows installer and archive" >&2
cp "$windows_tree/packaging/Moravelle-$version-win64-setup.exe" "$out/"
windows_name=Moravelle-$version-win64
w=$stage/$windows_name
mkdir -p "$w/VST3/Moravelle.vst3/Contents/x86_64-win" "$w/VST2" "$w/Presets/Factory"
cp "$windows_tree/plugins/Moravelle.vst3" "$w/VST3/Moravelle.vst3/Contents/x86_64-win/Moravelle.vst3"
cp "$windows_tree/adapters/vst2/Moravelle.dll" "$w/VST2/Moravelle.dll"
cp resources/presets/Factory/*.moravellepreset "$w/Presets/Factory/"
cp README.md "$w/README.md"
normalise_times "$w"
(cd "$stage" && find "$windows_name" | sort | zip -q -X -9 "$out/$windows_name.zip" -@)

(cd "$out" && sha256sum -- *.exe *.zip *.deb *.tar.gz >SHA256SUMS)
echo "release $version in $out:" >&2
(cd "$out" && ls -l) >&2
