#!/usr/bin/env bash
# Rebuilds one folder of test images with the real tools that made them and
# checks that every committed file comes out byte for byte the same, so the
# decoder tests always run on what today's tools write.
# Usage: check-rebuild.sh FOLDER
set -euo pipefail
src=$(cd "$(dirname "$0")/$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -a "$src/." "$work/"
script=$(ls "$work"/make-*.sh | head -n 1)
# Remove the outputs first so a script that silently fails cannot pass.
find "$work" -type f ! -name 'make-*.sh' -delete
PATH="$PATH:/usr/sbin:/sbin" bash "$script" >/dev/null
status=0
for f in "$src"/*; do
  name=$(basename "$f")
  case "$name" in make-*.sh) continue ;; esac
  if ! cmp -s "$f" "$work/$name"; then
    echo "differs after rebuilding: $1/$name"
    status=1
  fi
done
exit $status
