#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; a no-op when all are present.
# Usage: tools/install-deps.sh [build|native|windows|release|profile|all]   (default: all)
set -euo pipefail
what=${1:-all}

# build: what configuring and building the native tree needs (the demo's set; the
# artwork program, built with the tree, draws with cairo and the DejaVu fonts; the
# editor window is Xlib's, with the shared-memory extension from libXext).
build=(cmake ninja-build g++ pkg-config libstb-dev libsndfile1-dev libcli11-dev libgtest-dev googletest
       libbenchmark-dev libpng-dev zlib1g-dev libfreetype-dev libfontconfig-dev fonts-liberation2
       fonts-dejavu-core fonts-dejavu-extra libcairo2-dev libx11-dev libxext-dev)
# native: the native test suite adds Ardour (the host checks), Python, clang with its
# runtime for the fuzzers and the ThreadSanitizer build, the locale data for a
# host process that switches to a decimal comma (the preset tests), a virtual X
# display with real input for the editor window's tests and zenity for its file
# dialogs, and what builds and checks the Debian package and the release archives
# (dpkg-shlibdeps, lintian).
native=("${build[@]}" ardour python3 clang libclang-rt-14-dev locales xvfb xauth xdotool zenity
        dpkg-dev fakeroot lintian zip unzip)
# windows: MinGW-w64, Wine and the X tools of the editor tests, and NSIS for the installer.
windows=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 xvfb xauth xdotool libstb-dev googletest nsis)

# release: what tools/release.sh needs to build the plug-ins for both platforms and
# write the installer, the package and the archives.
release=("${build[@]}" g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 nsis dpkg-dev fakeroot zip)

# profile: what tools/instruction-mix.py needs beside a built tree (callgrind, the
# disassembler). Neither README command needs it, so 'all' leaves it out.
profile=(valgrind binutils python3)

case "$what" in
  build) wanted=("${build[@]}") ;;
  release) wanted=("${release[@]}") ;;
  native) wanted=("${native[@]}") ;;
  windows) wanted=("${windows[@]}") ;;
  profile) wanted=("${profile[@]}") ;;
  all) wanted=("${native[@]}" "${windows[@]}" "${release[@]}") ;;
  *) echo "install-deps: unknown set '$what' (build, native, windows, release, profile or all)" >&2; exit 2 ;;
esac

missing=()
for pkg in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}" >&2
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The German locale, whose decimal separator is a comma.
if [[ " ${wanted[*]} " == *" locales "* ]] && ! locale -a 2>/dev/null | grep -qx 'de_DE.utf8'; then
  echo "install-deps: generating the locale de_DE.UTF-8" >&2
  $sudo sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  grep -qx 'de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi
