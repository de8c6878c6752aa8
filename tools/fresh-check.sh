#!/usr/bin/env bash
# Proves the README's two commands on a fresh machine: makes a minimal Debian 12 root
# with debootstrap, copies the committed tree into it, and runs there, as a newcomer
# would, tools/demo.sh (which must write out/moravelle-demo.wav) and then tools/test.sh;
# then, since the root is thrown away, the Debian package that tools/test.sh made is
# installed there with apt and run by Ardour from the system folders.
#
# Usage (as root): tools/fresh-check.sh [--keep-root] [--demo-only]
#   FRESH_ROOT   where the root is made (default /var/tmp/moravelle-fresh); it is made
#                anew on every run, so nothing installed by an earlier run can help.
#   FRESH_MIRROR the Debian mirror (default: the one this machine's apt uses).
set -euo pipefail
cd "$(dirname "$0")/.."
keep=false demo_only=false
for a in "$@"; do
  case "$a" in
    --keep-root) keep=true ;;
    --demo-only) demo_only=true ;;
    *) echo "fresh-check: unknown option '$a'" >&2; exit 2 ;;
  esac
done
[ "$(id -u)" -eq 0 ] || { echo "fresh-check: needs root (debootstrap, chroot)" >&2; exit 2; }
command -v debootstrap >/dev/null || {
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null
}

root=${FRESH_ROOT:-/var/tmp/moravelle-fresh}
mirror=${FRESH_MIRROR:-$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)}
mirror=${mirror:-http://deb.debian.org/debian}

mounted=()
cleanup() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" 2>/dev/null || true; done
  $keep || rm -rf "$root"
}
trap cleanup EXIT

rm -rf "$root"
echo "fresh-check: debootstrap bookworm into $root from $mirror"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
  { tail -20 "$root.debootstrap.log" >&2; exit 1; }
cp /etc/resolv.conf "$root/etc/resolv.conf"
# A mirror that serves a dated snapshot has Release files past their Valid-Until.
printf 'Acquire::Check-Valid-Until "false";\n' >"$root/etc/apt/apt.conf.d/99snapshot-mirror"

for m in proc sys dev dev/pts; do
  mkdir -p "$root/$m"
  case "$m" in
    proc) mount -t proc proc "$root/proc" ;;
    sys) mount -t sysfs sys "$root/sys" ;;
    dev) mount --bind /dev "$root/dev" ;;
    dev/pts) mount -t devpts devpts "$root/dev/pts" ;;
  esac
  mounted+=("$root/$m")
done
mkdir -p "$root/dev/shm" && mount -t tmpfs shm "$root/dev/shm" && mounted+=("$root/dev/shm")

# The committed tree, as a clone would have it (no build folders, nothing uncommitted).
mkdir -p "$root/src/moravelle"
git archive HEAD | tar -x -C "$root/src/moravelle"

in_root() { chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin \
  LANG=C.UTF-8 CI="${CI:-}" /bin/bash -c "cd /src/moravelle && $1"; }

echo "fresh-check: tools/demo.sh"
in_root "tools/demo.sh"
in_root "test -s out/moravelle-demo.wav" || { echo "fresh-check: the demo wrote no WAV file" >&2; exit 1; }
echo "fresh-check: the demo wrote out/moravelle-demo.wav ($(stat -c %s "$root/src/moravelle/out/moravelle-demo.wav") bytes)"
$demo_only && exit 0
echo "fresh-check: tools/test.sh"
in_root "tools/test.sh"
echo "fresh-check: both commands passed on a fresh Debian 12 root"
echo "fresh-check: the Debian package installed with apt, in Ardour from the system folders"
in_root "tests/release/system_install_check.sh build/release-check/first/moravelle_*_amd64.deb \
  build/tests/release/moravelle-installed-check build/system-install-check"
