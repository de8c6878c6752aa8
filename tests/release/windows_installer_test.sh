#!/usr/bin/env bash
# The Windows installer under Wine, in a Wine prefix of its own inside the build folder:
#   1. a silent install puts the VST3 bundle, the VST2 DLL and the factory presets where
#      hosts and the plug-in look, and registers an uninstaller with Add/Remove Programs;
#   2. the installed plug-ins load through the project's hosts from those places, render,
#      and find a factory preset selected through PresetSelector;
#   3. the silent uninstall removes all of it but the user's own presets;
#   4. an older version installed into another VST2 folder, then this one over it:
#      nothing of the older one is left.
# Usage: windows_installer_test.sh INSTALLER CHECK_EXE PRESET_DIR SCRATCH MAKENSIS VST3_BINARY VST2_BINARY
set -euo pipefail
installer=$1 check_exe=$2 preset_dir=$3 scratch=$4 makensis=$5 vst3_binary=$6 vst2_binary=$7
here=$(cd "$(dirname "$0")" && pwd)
packaging=$(cd "$here/../../packaging/windows" && pwd)

export WINEPREFIX=$scratch/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
rm -rf "$scratch"
mkdir -p "$scratch"
"$wine" wineboot --init >/dev/null 2>&1 || true
/usr/lib/wine/wineserver -w

failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
run_windows() {  # runs a Windows program and waits until every process it started is done
  "$wine" "$@"
  /usr/lib/wine/wineserver -w
}
registry_value() {  # registry_value NAME: the value of the uninstall entry, or nothing
  "$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Moravelle' /v "$1" 2>/dev/null |
    tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"
}
no_registry_entry() { ! "$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Moravelle' >/dev/null 2>&1; }

c=$WINEPREFIX/drive_c
vst3="$c/Program Files/Common Files/VST3/Moravelle.vst3/Contents/x86_64-win/Moravelle.vst3"
vst2_default="$c/Program Files/VSTPlugins/Moravelle.dll"
library="$c/users/Public/Documents/PellionAudio/Moravelle/Presets"
uninstaller="$c/Program Files/Pellion Audio/Moravelle/Uninstall Moravelle.exe"
deeper="DRUM - Deeper.moravellepreset"
factory_count() { find "$library/Factory" -name '*.moravellepreset' 2>/dev/null | wc -l; }

echo "== a silent install"
run_windows "$installer" /S
check "the VST3 bundle is in Common Files\\VST3" cmp -s "$vst3" "$vst3_binary"
check "the VST2 DLL is in Program Files\\VSTPlugins" cmp -s "$vst2_default" "$vst2_binary"
check "31 factory presets are in the public documents library" test "$(factory_count)" -eq 31
check "the factory files are the project's" cmp -s "$library/Factory/$deeper" "$preset_dir/$deeper"
check "the uninstaller is in place" test -f "$uninstaller"
check "Add/Remove Programs lists Moravelle" test "$(registry_value DisplayName)" = "Moravelle"
check "with version $(registry_value DisplayVersion)" test "$(registry_value DisplayVersion)" = "$(basename "$installer" | sed 's/^Moravelle-\(.*\)-win64-setup.exe$/\1/')"
check "by Pellion Audio" test "$(registry_value Publisher)" = "Pellion Audio"
check "with its size" test "$(registry_value EstimatedSize)" != ""
check "and a quiet uninstall command" test -n "$(registry_value QuietUninstallString)"

echo "== the installed plug-ins, through the project's hosts"
check "they load, render and find factory preset 10" \
  "$wine" "$check_exe" --vst2 'C:\Program Files\VSTPlugins\Moravelle.dll' \
  --vst3 'C:\Program Files\Common Files\VST3\Moravelle.vst3' --preset 10 --expect "$preset_dir/$deeper"

echo "== the user's presets, then a silent uninstall"
printf '<ReverbDamp>0.25</ReverbDamp>' >"$library/My Hall.moravellepreset"
printf '<ReverbDamp>0.5</ReverbDamp>' >"$library/Factory/My Variation.moravellepreset"
run_windows "$uninstaller" /S
check "the VST3 bundle is gone" test ! -e "$c/Program Files/Common Files/VST3/Moravelle.vst3"
check "the VST2 DLL is gone" test ! -e "$vst2_default"
check "the factory presets are gone" test "$(factory_count)" -eq 1
check "the user's preset in the library is untouched" \
  test "$(cat "$library/My Hall.moravellepreset")" = '<ReverbDamp>0.25</ReverbDamp>'
check "the user's preset in the Factory folder is untouched" \
  test "$(cat "$library/Factory/My Variation.moravellepreset")" = '<ReverbDamp>0.5</ReverbDamp>'
check "the uninstaller is gone" test ! -e "$uninstaller"
check "the registry entry is gone" no_registry_entry

echo "== an older version into another VST2 folder, then this one over it"
older=$scratch/Moravelle-0.9.0-win64-setup.exe
cmake -DMAKENSIS="$makensis" -DVERSION=0.9.0 -DVST3_BINARY="$vst3_binary" -DVST2_BINARY="$vst2_binary" \
  -DPRESET_DIR="$preset_dir" -DOUTPUT="$older" -P "$packaging/build_installer.cmake"
run_windows "$older" /S '/D=C:\OldPlugins'
check "the older version is installed" test "$(registry_value DisplayVersion)" = "0.9.0"
check "its VST2 DLL is in the folder chosen" test -f "$c/OldPlugins/Moravelle.dll"
run_windows "$installer" /S '/D=C:\NewPlugins'
check "the new version is registered" test "$(registry_value DisplayVersion)" != "0.9.0"
check "its VST2 folder is the new one" test "$(registry_value Vst2Folder)" = 'C:\NewPlugins'
check "the older VST2 DLL is gone" test ! -e "$c/OldPlugins/Moravelle.dll"
check "the new VST2 DLL is in place" cmp -s "$c/NewPlugins/Moravelle.dll" "$vst2_binary"
check "the VST3 bundle is in place" cmp -s "$vst3" "$vst3_binary"
check "the 31 factory presets (and the user's file) are in place" test "$(factory_count)" -eq 32
run_windows "$uninstaller" /S
check "after the last uninstall the registry entry is gone" no_registry_entry
check "and the new VST2 DLL too" test ! -e "$c/NewPlugins/Moravelle.dll"

echo "$failures check(s) failed"
[ "$failures" -eq 0 ]
