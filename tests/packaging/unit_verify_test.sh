#!/usr/bin/env bash
# systemd's own check of an instance of the server unit. The check wants the
# program the unit starts to exist, so a copy of the unit names the built
# tarnctl instead.
#
# unit_verify_test.sh UNIT_FILE TARNCTL WORK_DIR
set -u
unit=$1
tarnctl=$2
work=$3

if ! command -v systemd-analyze >/dev/null 2>&1; then
    echo "systemd-analyze is not installed; skipped"
    exit 77
fi
rm -rf "$work"
mkdir -p "$work"
name=$(basename "$unit")
sed "s|/usr/bin/tarnctl|$tarnctl|" "$unit" >"$work/$name"
grep -qF "ExecStart=$tarnctl " "$work/$name" || {
    echo "FAIL: the unit does not start /usr/bin/tarnctl"
    exit 1
}
# The manual page is checked by the package test; here it is not installed.
output=$(systemd-analyze verify --man=no "$work/${name/@/@demo}" 2>&1)
status=$?
echo "$output"
if [ "$status" -ne 0 ] || [ -n "$output" ]; then
    echo "FAIL: systemd-analyze verify does not accept the unit"
    exit 1
fi
echo "the unit verifies"
