#!/usr/bin/env bash
# Runs a test program as an unprivileged user, so the tests about read-only and
# unreadable files really run when the suite itself runs as root (as CI does).
# Exit 77 (skipped) when not root or when setpriv is missing.
set -euo pipefail
program=$1
shift
if [ "$(id -u)" -ne 0 ] || ! command -v setpriv >/dev/null; then
  echo "not root: the permission tests already ran in the normal suite"
  exit 77
fi
scratch=$(mktemp -d /tmp/lum-unprivileged.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
cp "$program" "$scratch/tests"
mkdir "$scratch/tmp"
chmod 755 "$scratch" "$scratch/tests"
chown 65534:65534 "$scratch/tmp"
cd "$scratch/tmp"
TMPDIR="$scratch/tmp" HOME="$scratch/tmp" setpriv --reuid=65534 --regid=65534 --clear-groups \
  "$scratch/tests" "$@"
