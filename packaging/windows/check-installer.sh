#!/usr/bin/env bash
# Checks the Windows installer under Wine, in a prefix of its own: a silent
# install puts the programs and a Start-menu entry in place, the installed
# launcher (the entry's target) opens its window, and the uninstaller removes
# the files but leaves the settings.
# Usage: check-installer.sh INSTALLER WORKFOLDER
set -euo pipefail
installer=$(realpath "$1")
export WINEPREFIX=$(realpath -m "$2")/installer-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
fail() {
    echo "check-installer: $*" >&2
    exit 1
}

rm -rf "$WINEPREFIX"
wineboot -i && wineserver -w
wine "$installer" /S && wineserver -w
folder="$WINEPREFIX/drive_c/Program Files/Tarn Server Launcher"
[ -f "$folder/tarnstarter.exe" ] || fail "the silent install put no launcher in $folder"
[ -n "$(find "$WINEPREFIX/drive_c" -ipath '*start menu*' -name 'Tarn Server Launcher.lnk')" ] ||
    fail "the install made no Start-menu entry"

# A setting as the launcher keeps it, which uninstalling must leave.
wine reg add 'HKLM\SOFTWARE\Quillon\TarnLauncher' /v Host_Name /d kept /reg:32 /f >/dev/null
# The X session below needs a Wine of its own: a desktop started without a
# display would keep the launcher's window off the X server.
wineserver -w

# The launcher, in an X server of its own, shows its window.
export folder
xvfb-run -a bash -c '
    wine "$folder/tarnstarter.exe" &
    for _ in $(seq 300); do
        xdotool search --name "^Tarn Server Launcher$" >/dev/null && shown=1 && break
        sleep 1
    done
    [ -n "${shown:-}" ] || for window in $(xdotool search --name .); do
        echo "check-installer: a window: $(xdotool getwindowname "$window")" >&2
    done
    wineserver -k
    [ -n "${shown:-}" ]' || fail "the installed launcher showed no window"

wine "$folder/Uninstall.exe" /S && wineserver -w
# The uninstaller runs from a copy of itself and may still be removing.
for _ in $(seq 30); do
    [ -e "$folder/tarnstarter.exe" ] || break
    sleep 1
done
[ ! -e "$folder/tarnstarter.exe" ] || fail "the uninstaller left the launcher in place"
wine reg query 'HKLM\SOFTWARE\Quillon\TarnLauncher' /v Host_Name /reg:32 | grep -q kept ||
    fail "the uninstaller removed the settings"
echo "check-installer: installs, opens the launcher's window, uninstalls and keeps the settings"
