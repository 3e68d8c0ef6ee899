#!/bin/sh
# Runs a validator, or reports the test skipped (77) when it is not installed.
tool=$1
shift
if ! command -v "$tool" >/dev/null 2>&1; then
    echo "$tool is not installed; skipped"
    exit 77
fi
exec "$tool" "$@"
