#!/usr/bin/env bash
# The Debian package as a musician installs it: apt installs it into the real
# system; Ardour 7 finds both plug-ins in its default folders (/usr/lib/vst and
# /usr/lib/vst3 are among them) and renders through them; the installed plug-ins,
# with an empty preset library, find the factory presets in /usr/share/moravelle;
# apt purges the package without a trace.
# It changes the machine, so it runs only as root and refuses where a moravelle
# package is installed already; tools/fresh-check.sh runs it in its throwaway root.
# Usage: system_install_check.sh PACKAGE.deb INSTALLED_CHECK_EXE WORK_DIR
set -euo pipefail
deb=$(readlink -f "$1") check_exe=$2 work=$3
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAIL: $*"; exit 1; }

[ "$(id -u)" -eq 0 ] || fail "installing into the system needs root"
if dpkg-query -W -f='${Status}' moravelle 2>/dev/null | grep -q installed; then
  fail "a moravelle package is installed already; this check would replace and then purge it"
fi
rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)

echo "== apt installs $(basename "$deb")"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >"$work/apt-install.log" 2>&1 ||
  { cat "$work/apt-install.log"; fail "apt could not install the package"; }
purged=false
purge() { $purged || DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq moravelle >"$work/apt-purge.log" 2>&1; }
trap purge EXIT
vst2=/usr/lib/vst/Moravelle.so vst3=/usr/lib/vst3/Moravelle.vst3
[ -f "$vst2" ] && [ -f "$vst3/Contents/x86_64-linux/Moravelle.so" ] || fail "the plug-ins are not in /usr/lib/vst and /usr/lib/vst3"

echo "== Ardour 7 from its default folders"
for format in vst2 vst3; do
  plugin=$vst2
  [ "$format" = vst2 ] || plugin=$vst3
  bash "$here/../ardour/ardour_check.sh" "$format" "$plugin" "$work/ardour-$format" system >"$work/ardour-$format.log" 2>&1 ||
    { cat "$work/ardour-$format.log"; fail "Ardour did not run the installed $format plug-in"; }
  echo "$format: $(grep -c '^[a-z]*: ok' "$work/ardour-$format.log") stages ok"
done

echo "== the installed plug-ins find the factory presets with an empty library"
mkdir -p "$work/documents"
XDG_DOCUMENTS_DIR=$work/documents "$check_exe" --vst2 "$vst2" --vst3 "$vst3" --preset 10 \
  --expect "/usr/share/moravelle/presets/Factory/DRUM - Deeper.moravellepreset" ||
  fail "the installed plug-ins did not load factory preset 10 from /usr/share/moravelle"

echo "== apt purges it"
purge || { cat "$work/apt-purge.log"; fail "apt could not purge the package"; }
purged=true
for gone in "$vst2" "$vst3" /usr/share/moravelle /usr/share/doc/moravelle; do
  [ ! -e "$gone" ] || fail "$gone is left after the purge"
done
echo PASS
