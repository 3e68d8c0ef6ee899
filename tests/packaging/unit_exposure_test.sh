#!/usr/bin/env bash
# systemd's rating of how exposed an instance of the installed server unit
# is; the test fails when the rating rises above the level the unit keeps.
#
# unit_exposure_test.sh BUILD_DIR WORK_DIR
set -u
build=$1
work=$2
limit=3.5

if ! command -v systemd-analyze >/dev/null 2>&1; then
    echo "systemd-analyze is not installed; skipped"
    exit 77
fi
if ! systemd-analyze --help 2>&1 | grep -q -- '--offline'; then
    echo "this systemd-analyze cannot rate a unit offline (--offline); skipped"
    exit 77
fi
rm -rf "$work"
if ! DESTDIR="$work/root" cmake --install "$build" --component systemd --prefix /usr \
    >"$work.log" 2>&1; then
    cat "$work.log"
    echo "FAIL: the unit does not install"
    exit 1
fi
units=$work/root/usr/lib/systemd/system
output=$(systemd-analyze security --offline=yes "$units/tarnstarter-server@demo.service" 2>&1)
echo "$output"
level=$(sed -n 's/.*Overall exposure level for [^:]*: \([0-9.]*\).*/\1/p' <<<"$output")
if [ -z "$level" ]; then
    echo "FAIL: systemd-analyze gave no exposure level"
    exit 1
fi
if awk -v level="$level" -v limit="$limit" 'BEGIN { exit !(level > limit) }'; then
    echo "FAIL: the unit's exposure level $level is above $limit"
    exit 1
fi
echo "exposure level $level (at most $limit)"
