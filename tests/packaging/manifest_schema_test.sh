#!/usr/bin/env bash
# The Kubernetes manifests checked against the Kubernetes API schema, with
# npm packages installed into WORK_DIR.
#
# manifest_schema_test.sh WORK_DIR MANIFEST_DIR...
set -u
work=$1
shift
here=$(cd "$(dirname "$0")/kubernetes" && pwd)

for tool in node npm; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "$tool is not installed; skipped"
        exit 77
    fi
done
# The checker, installed once; later runs need no network.
checker='kubernetes-models@4.5.1 js-yaml@4.1.0'
mkdir -p "$work"
if [ "$(cat "$work/installed" 2>/dev/null)" != "$checker" ]; then
    rm -rf "$work/node_modules" "$work/installed"
    # A package root of its own, so that npm installs here and nowhere above.
    echo '{"private": true}' >"$work/package.json"
    # shellcheck disable=SC2086
    if ! (cd "$work" && npm install --no-save --no-audit --no-fund --no-package-lock $checker) \
        >"$work/npm.log" 2>&1; then
        cat "$work/npm.log"
        echo "the schema checker could not be installed from npm; skipped"
        exit 77
    fi
    echo "$checker" >"$work/installed"
fi
manifests=()
for folder in "$@"; do
    manifests+=("$folder"/*.yaml)
done
NODE_PATH=$work/node_modules exec node "$here/validate.js" "${manifests[@]}"
