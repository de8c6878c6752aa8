#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; a no-op when all are present.
# Usage: tools/install-deps.sh [native|windows|all]   (default: all)
set -euo pipefail
what=${1:-all}

native=(cmake ninja-build g++ pkg-config libsndfile1-dev libcli11-dev libgtest-dev googletest
        libbenchmark-dev libpng-dev zlib1g-dev libfreetype-dev libfontconfig-dev fonts-liberation2
        fonts-dejavu-core fonts-dejavu-extra libcairo2-dev
        ardour python3)
windows=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 xvfb xauth libstb-dev googletest)

case "$what" in
  native) wanted=("${native[@]}") ;;
  windows) wanted=("${windows[@]}") ;;
  all) wanted=("${native[@]}" "${windows[@]}") ;;
  *) echo "install-deps: unknown set '$what' (native, windows or all)" >&2; exit 2 ;;
esac

missing=()
for pkg in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "install-deps: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
