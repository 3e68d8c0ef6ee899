#!/usr/bin/env bash
# The server image at work: a demo container answers the remote console from
# the host, turns healthy, brings its server back after the server is killed,
# runs beside a second container with a store and port of its own, and ends
# with status 0 when podman stops it. Each step's output is printed.
#
# container_image_test.sh IMAGE TARNCTL WORK_DIR
# TARN_RUN_OPTIONS holds options every `podman run` needs here (runtime,
# resource limits).
set -u
image=$1
tarnctl=$2
work=$3
read -r -a run_options <<<"${TARN_RUN_OPTIONS:-}"

if ! command -v podman >/dev/null 2>&1 || ! podman image exists "$image"; then
    echo "podman or the image $image is missing (scripts/container builds it); skipped"
    exit 77
fi
rm -rf "$work"
mkdir -p "$work"
# The host's tarnctl talks to the containers with the defaults of a store of
# its own, which tarnctl only reads: the package's tarnreg makes it.
export TARNSTARTER_REGISTRY=$work/registry.db
"$(dirname "$tarnctl")/tarnreg" add 'HKLM\SOFTWARE\Quillon\TarnLauncher' /v Host_Name \
    /d 'image test' >/dev/null
# The first container is given the password the host's store holds.
"$(dirname "$tarnctl")/tarnreg" add 'HKLM\SOFTWARE\Quillon\TarnLauncher' /v rcon_pw \
    /d first >/dev/null

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
step() {
    echo
    echo "== $*"
}
# A free UDP port on the host, above the ephemeral range's usual start.
free_port() {
    local port
    for port in $(seq $((40000 + $$ % 10000)) 60000); do
        ss -Hlun "sport = :$port" | grep -q . || {
            echo "$port"
            return
        }
    done
}
# Polls the server's status from the host until it answers, at most $2
# tries, with the password $3 (the default one when not given).
answers() {
    local port=$1 tries=$2 password=()
    [ $# -lt 3 ] || password=(--password "$3")
    for _ in $(seq 1 "$tries"); do
        "$tarnctl" rcon --port "$port" "${password[@]}" --timeout 1 status >"$work/status.out" 2>&1 &&
            return 0
    done
    return 1
}

suffix=$$
first=tarn-test-a-$suffix
second=tarn-test-b-$suffix
cleanup() {
    podman rm -f -t 0 "$first" "$second" >/dev/null 2>&1
}
trap cleanup EXIT

step "a demo container with a published UDP port"
port_a=$(free_port)
podman run -d --name "$first" "${run_options[@]}" --stop-timeout 20 -e TARN_RCON_PASSWORD=first \
    -p "127.0.0.1:$port_a:28910/udp" "$image" || fail "the container does not start"

step "tarnctl rcon --port $port_a status, from the host"
if answers "$port_a" 60; then
    cat "$work/status.out"
    grep -q '^map: ' "$work/status.out" || fail "the status shows no map"
    grep -q 'num score ping name' "$work/status.out" || fail "the status shows no players"
else
    cat "$work/status.out"
    podman logs "$first"
    fail "no status answer from the container"
fi

step "health check"
if podman healthcheck run "$first"; then
    echo "health check passed"
else
    fail "the health check fails"
fi
health=$(podman inspect --format '{{.State.Health.Status}}' "$first")
echo "health: $health"
[ "$health" = healthy ] || fail "the container is $health, not healthy"

step "kill the server inside the container"
podman exec "$first" sh -c 'for comm in /proc/[0-9]*/comm; do
        if [ "$(cat "$comm" 2>/dev/null)" = tarnded ]; then
            pid=${comm#/proc/}; pid=${pid%/comm}
            echo "killing the server, process $pid"; kill -KILL "$pid"
        fi
    done' || fail "the server could not be killed"
killed=$SECONDS
if answers "$port_a" 30; then
    echo "the server answers again after $((SECONDS - killed)) s"
else
    podman logs "$first"
    fail "the server did not come back"
fi

step "a second container with another store and port, beside the first"
port_b=$(free_port)
while [ "$port_b" = "$port_a" ]; do port_b=$((port_b + 1)); done
podman run -d --name "$second" "${run_options[@]}" -e TARN_PORT=28920 \
    -e "TARN_HOST_NAME=second server" -e TARN_RCON_PASSWORD=second \
    -p "127.0.0.1:$port_b:28920/udp" "$image" || fail "the second container does not start"
if answers "$port_b" 60 second; then
    echo "second: answers on $port_b"
    cat "$work/status.out"
else
    podman logs "$second"
    fail "no status answer from the second container"
fi
if answers "$port_a" 5; then
    echo "first: still answers on $port_a"
else
    fail "the first container stopped answering beside the second"
fi

step "podman stop"
for name in "$first" "$second"; do
    stopping=$SECONDS
    podman stop "$name" >/dev/null
    status=$(podman inspect --format '{{.State.ExitCode}}' "$name")
    echo "$name ended with status $status after $((SECONDS - stopping)) s" \
        "(grace $(podman inspect --format '{{.Config.StopTimeout}}' "$name") s)"
    [ "$status" = 0 ] || fail "$name ended with status $status, not 0"
done
podman logs "$first" >"$work/first.log" 2>&1
tail -n 5 "$work/first.log"

echo
if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "the image works"
