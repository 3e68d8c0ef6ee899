#!/usr/bin/env bash
# One idle demo server in the container image against the same server run
# by tarnctl on the host: resident memory of each (all processes of the
# server and its watcher), and the time from `podman run` to the first
# answered status poll. Prints nothing when podman, the image or the
# options that scripts/container found `podman run` to need here are missing.
#
# container.sh TOOLS_DIR DEMO_FOLDER RUN_OPTIONS_FILE
set -euo pipefail
tools=$1
demo=$2
options=$3
image=localhost/tarnstarter:1.8
command -v podman >/dev/null 2>&1 && podman image exists "$image" && [ -f "$options" ] || exit 0
read -r -a run_options <"$options"

work=$(mktemp -d)
name=tarn-bench-$$
host_pid=
cleanup() {
    podman rm -f -t 0 "$name" >/dev/null 2>&1 || true
    [ -z "$host_pid" ] || kill "$host_pid" 2>/dev/null || true
    [ -z "$host_pid" ] || wait "$host_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export TARNSTARTER_REGISTRY=$work/registry.db
tarnctl=$tools/tarnctl/tarnctl
# tarnctl only reads a store: it must be there before the first poll.
"$tools/tarnreg/tarnreg" add 'HKLM\SOFTWARE\Quillon\TarnLauncher' /v Host_Name /d bench /f >/dev/null
# The container's server and the host's share one remote-console password.
"$tools/tarnreg/tarnreg" add 'HKLM\SOFTWARE\Quillon\TarnLauncher' /v rcon_pw /d bench /f >/dev/null

# Sums VmRSS (KiB) of the given processes.
rss() {
    local total=0 pid kib
    for pid in "$@"; do
        kib=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
        total=$((total + ${kib:-0}))
    done
    echo "$total"
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }
answers() {
    for _ in $(seq 1 600); do
        "$tarnctl" rcon --port "$1" --timeout 0.1 status >/dev/null 2>&1 && return 0
    done
    return 1
}

# Loopback ports above the usual ephemeral range's start.
port=$((45000 + $$ % 5000))
started=$(now_ms)
# Without systemd podman complains that it cannot time the health checks.
if ! podman run -d --name "$name" "${run_options[@]}" -p "127.0.0.1:$port:28910/udp" \
    -e TARN_RCON_PASSWORD=bench "$image" >/dev/null 2>"$work/podman.log"; then
    cat "$work/podman.log" >&2
    exit 1
fi
answers "$port"
echo "metric container_run_to_first_status $(($(now_ms) - started)) ms"
sleep 3
read -r -a pids <<<"$(podman top "$name" hpid | tail -n +2 | tr '\n' ' ')"
echo "metric container_demo_server_rss $(($(rss "${pids[@]}") / 1024)) MiB"

cp -r "$demo" "$work/tarn"
"$tools/tarnreg/tarnreg" add 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\tarn.exe' \
    /v Path /d "$work/tarn" /f >/dev/null
"$tools/tarnreg/tarnreg" add 'HKLM\SOFTWARE\Quillon\TarnLauncher' /v Server_Port /d $((port + 1)) \
    /f >/dev/null
"$tarnctl" start --foreground >/dev/null 2>&1 &
host_pid=$!
answers $((port + 1))
sleep 3
children=$(awk -v parent="$host_pid" '$4 == parent { print $1 }' /proc/[0-9]*/stat 2>/dev/null |
    tr '\n' ' ')
read -r -a pids <<<"$host_pid $children"
echo "metric host_demo_server_rss $(($(rss "${pids[@]}") / 1024)) MiB"
