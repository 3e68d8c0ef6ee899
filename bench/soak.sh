#!/usr/bin/env bash
# Leaves the launcher running with the Server Monitor polling a stand-in
# server and the TCP window refreshing, then prints how much its resident
# memory grew after the first minute and how many descriptors it gained.
#
#   bench/soak.sh [seconds]      (default 600; shorter for a trial run)
#
# TARN_BUILD_DIR names a build folder configured with -DTARN_BENCH=ON to use
# instead of build-bench, the one bench/run sets up.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds="${1:-600}"
build="${TARN_BUILD_DIR:-}"
if [ -z "$build" ]; then
    build="$top/build-bench"
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARN_BENCH=ON \
        -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build "$build" -j2 --target soak_driver tarnded tarnreg >/dev/null

work=$(mktemp -d)
server=
cleanup() {
    if [ -n "$server" ]; then kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

export QT_QPA_PLATFORM=offscreen
export TARNSTARTER_REGISTRY="$work/registry.db"
export XDG_CONFIG_HOME="$work/config"

game="$work/game"
mkdir -p "$game/USER"
printf '// Soak server\r\nset hostname "Soak"\r\nset rcon_password soakpw\r\nmap DM/QEVCON1\r\n' \
    >"$game/USER/Dedicated.cfg"
port=$(python3 -c 'import socket; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')

(cd "$game" && exec "$build/tools/tarnded/tarnded" +set dedicated 1 +set hostport "$port") \
    >"$work/tarnded.log" 2>&1 &
server=$!
for _ in $(seq 100); do
    grep -q 'Listening on' "$work/tarnded.log" && break
    sleep 0.1
done
grep -q 'Listening on' "$work/tarnded.log" || { echo "tarnded did not start" >&2; exit 1; }

"$build/tools/tarnreg/tarnreg" add 'HKLM\SOFTWARE\Quillon\TarnLauncher' /v Server_Port /d "$port" /f \
    >/dev/null
"$build/tools/tarnreg/tarnreg" add 'HKLM\SOFTWARE\Quillon\TarnLauncher' /v Path /d "$game" /f \
    >/dev/null
"$build/tools/tarnreg/tarnreg" add 'HKLM\SOFTWARE\Quillon\TarnLauncher' /v rcon_pw /d soakpw /f \
    >/dev/null

"$build/bench/soak_driver" "$seconds" >"$work/driver.out" 2>"$work/driver.err" ||
    { cat "$work/driver.err" >&2; exit 1; }

value() { awk -v key="$1" -v when="$2" '$1 == key && $2 == when { print $3 }' "$work/driver.out"; }
rssFirst=$(value rss_kib first_minute)
rssEnd=$(value rss_kib end)
fdsFirst=$(value fds first_minute)
fdsEnd=$(value fds end)
answered=$(awk '$1 == "monitor_text_chars" { print $2 }' "$work/driver.out")
if [ -z "$rssFirst" ] || [ -z "$rssEnd" ] || [ -z "$fdsFirst" ] || [ -z "$fdsEnd" ]; then
    echo "soak driver reported nothing" >&2
    exit 1
fi
[ "${answered:-0}" -gt 0 ] || echo "warning: the Server Monitor showed no answer" >&2

awk -v a="$rssFirst" -v b="$rssEnd" 'BEGIN { printf "metric soak_rss_growth %.2f MiB\n", (b - a) / 1024 }'
echo "metric soak_fd_growth $((fdsEnd - fdsFirst)) fds"
