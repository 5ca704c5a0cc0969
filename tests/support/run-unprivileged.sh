#!/usr/bin/env bash
# Runs a test binary as an unprivileged user, so that file permissions are
# enforced (root ignores them). The binary and the shipped data are copied to a
# scratch folder that user can read, whatever the permissions of the checkout.
set -euo pipefail
binary=$1
shift
if [ "$(id -u)" -ne 0 ]; then
    exec "$binary" "$@"
fi
if ! command -v setpriv >/dev/null; then
    echo "setpriv not found: running as root" >&2
    exec "$binary" "$@"
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$binary" "$scratch/"
cp -r "$JF_SOURCE_DIR/data" "$scratch/data"
chmod -R a+rX "$scratch"
cd "$scratch"
setpriv --reuid=65534 --regid=65534 --clear-groups \
    env HOME="$scratch" XDG_RUNTIME_DIR= JF_SOURCE_DIR="$scratch" TMPDIR=/tmp \
    "$scratch/$(basename "$binary")" "$@"
