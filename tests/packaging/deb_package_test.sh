#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch root and runs the
# command-line programs from there: the package must carry everything the
# desktop needs and its programs must not lean on the build tree.
#
# deb_package_test.sh CPACK_CONFIG SOURCE_DIR WORK_DIR
set -u

config=$1
source_dir=$2
work=$3
build_dir=$(dirname "$config")

for tool in cpack dpkg-deb dpkg-shlibdeps readelf; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "$tool is not installed; skipped"
        exit 77
    fi
done

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

rm -rf "$work"
mkdir -p "$work"
if ! cpack --config "$config" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAIL: cpack did not build the package"
    exit 1
fi
debs=("$work"/out/tarnstarter_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "FAIL: expected one tarnstarter_*.deb, found: ${debs[*]}"
    exit 1
fi
deb=${debs[0]}
echo "package: $deb"

# Dependencies: the libraries found by the scan plus the plugin package
# that no scan can find.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for package in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libsqlite3-0 \
    qt6-qpa-plugins; do
    grep -Eq "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package"
done

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in usr/bin/tarnstarter usr/bin/tarnreg usr/bin/tarnded \
    usr/share/applications/tarnstarter.desktop \
    usr/share/metainfo/io.github.tarnstarter.TarnStarter.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/tarnstarter.svg \
    usr/share/icons/hicolor/48x48/apps/tarnstarter.png \
    usr/share/icons/hicolor/256x256/apps/tarnstarter.png \
    usr/share/man/man1/tarnreg.1 usr/share/man/man1/tarnded.1 \
    usr/share/man/man1/tarnstarter.1; do
    grep -Eq "^\./$path(\.gz)?$" <<<"$contents" || fail "package lacks /$path"
done

root=$work/root
if ! dpkg-deb -x "$deb" "$root"; then
    echo "FAIL: the package does not unpack"
    exit 1
fi
bin=$root/usr/bin

# The desktop entry must start a program and show an icon the package carries.
entry=$root/usr/share/applications/tarnstarter.desktop
exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
icon=$(sed -n 's/^Icon=//p' "$entry")
if [ -z "$exec_program" ] || [ ! -x "$bin/$exec_program" ]; then
    fail "desktop entry starts '$exec_program', which the package lacks"
fi
for size in scalable/apps/$icon.svg 48x48/apps/$icon.png 256x256/apps/$icon.png; do
    [ -f "$root/usr/share/icons/hicolor/$size" ] || fail "desktop entry's icon lacks $size"
done

# The metainfo must find its desktop entry where the package puts it.
if command -v appstreamcli >/dev/null 2>&1; then
    appstreamcli validate-tree --strict --no-net "$root" >"$work/tree.log" 2>&1 ||
        fail "installed tree does not validate: $(cat "$work/tree.log")"
fi

for program in tarnstarter tarnreg tarnded; do
    if readelf -d "$bin/$program" | grep -E 'RPATH|RUNPATH' |
        grep -qF -e "$source_dir" -e "$build_dir"; then
        fail "$program has a run path into the source or build tree"
    fi
done

# A store of the test's own; the user's settings stay untouched.
export TARNSTARTER_REGISTRY=$work/registry.db
key='HKLM\SOFTWARE\Quillon\TarnLauncher'
"$bin/tarnreg" add "$key" /v Server_Port /d 28910 >"$work/add.out" 2>&1 ||
    fail "tarnreg add failed: $(cat "$work/add.out")"
query=$("$bin/tarnreg" query "$key" /v Server_Port 2>&1) || fail "tarnreg query failed: $query"
grep -qF '    Server_Port    REG_SZ    28910' <<<"$query" ||
    fail "tarnreg query does not show the added value: $query"

# The stand-in server, started in a scratch game folder on a free port: it
# must bind, take its remote-console password from the folder's
# configuration, and end cleanly when told to quit over the remote console.
game=$work/game
mkdir -p "$game/USER"
printf 'set rcon_password "pack test"\r\n' >"$game/USER/Dedicated.cfg"
log=$work/tarnded.log
started=
port=$((20000 + $$ % 20000))
for _ in $(seq 1 20); do
    port=$((port + 1))
    (cd "$game" && exec "$bin/tarnded" +set dedicated 1 +set hostport "$port") >"$log" 2>&1 &
    pid=$!
    # Wait for the greeting or for the process to give up on this port.
    for _ in $(seq 1 300); do
        if ! kill -0 "$pid" 2>/dev/null || grep -q '^Listening on' "$log"; then
            break
        fi
        sleep 0.1
    done
    if grep -qF "Listening on 127.0.0.1:$port" "$log"; then
        started=$pid
        break
    fi
    wait "$pid"
done
if [ -z "$started" ]; then
    fail "tarnded did not start: $(cat "$log")"
else
    # The socket is bound, so the datagram waits for the server even while
    # it is still reading its configuration.
    printf '\377\377\377\377rcon pack test quit\0' >"/dev/udp/127.0.0.1/$port"
    for _ in $(seq 1 300); do
        kill -0 "$started" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$started" 2>/dev/null; then
        kill -KILL "$started"
        wait "$started"
        fail "tarnded did not quit on request: $(cat "$log")"
    else
        wait "$started"
        status=$?
        [ "$status" -eq 0 ] || fail "tarnded ended with status $status: $(cat "$log")"
    fi
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "package installs and runs"
