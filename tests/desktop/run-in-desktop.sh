#!/bin/sh
# Runs one test program in an X session of its own with a notification area:
# Xvfb on a free display and trayer as the tray host. Both end with the test.
set -eu

workdir=$(mktemp -d)
# A tray host or X server that already ended must not keep the other (which
# holds the test's output open) running.
cleanup() {
    if [ -n "${tray:-}" ]; then kill "$tray" 2>/dev/null || true; fi
    if [ -n "${xserver:-}" ]; then kill "$xserver" 2>/dev/null || true; fi
    rm -rf "$workdir"
}
trap cleanup EXIT INT TERM

# Xvfb picks a free display and writes its number to the given descriptor.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$workdir/display" 2>"$workdir/xvfb.log" &
xserver=$!
for _ in $(seq 100); do
    [ -s "$workdir/display" ] && break
    sleep 0.1
done
[ -s "$workdir/display" ] || { cat "$workdir/xvfb.log" >&2; echo "Xvfb did not start" >&2; exit 1; }
DISPLAY=:$(cat "$workdir/display")
export DISPLAY QT_QPA_PLATFORM=xcb

trayer --edge bottom --align right --widthtype pixel --width 120 --height 32 \
    --SetDockType false --transparent false >"$workdir/trayer.log" 2>&1 &
tray=$!

"$@"
