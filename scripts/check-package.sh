#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch root and checks what a
# user gets from it: the programs run, bash completes the type names, the
# desktop entry and the AppStream metadata validate, and the man pages render
# without warnings.
# Usage: check-package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/package}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTROVIK_BUILD_TESTS=OFF -DTROVIK_BUILD_BENCH=OFF >/dev/null
cmake --build "$build"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/trovik_*_amd64.deb)
echo "package: $deb"
dpkg-deb --info "$deb" | grep -E '^ (Package|Version|Depends):'
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"

"$root/usr/bin/trovik-dump" --version
types=$("$root/usr/bin/trovik-dump" --list-types | tail -n +2 | wc -l)
[ "$types" -eq 44 ] || { echo "--list-types listed $types types"; exit 1; }
if [ -n "$(dpkg-deb --contents "$deb" | grep ' ./usr/bin/trovik$' || true)" ]; then
  LD_LIBRARY_PATH= QT_QPA_PLATFORM=offscreen "$root/usr/bin/trovik" --version
fi
# Bash completes the type names from the installed program.
completions=$(bash -c 'source "$1"; COMP_WORDS=("$2" -t ext2-); COMP_CWORD=2; _trovik_dump; printf "%s\n" "${COMPREPLY[@]}"' \
  _ "$root/usr/share/bash-completion/completions/trovik-dump" "$root/usr/bin/trovik-dump")
[ "$(echo "$completions" | sort | tr '\n' ' ')" = "ext2-dir ext2-group ext2-inode ext2-inode-long ext2-super " ] ||
  { echo "bash completion of '-t ext2-' gave: $completions"; exit 1; }
desktop-file-validate "$root/usr/share/applications/org.trovik.Trovik.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.trovik.Trovik.metainfo.xml"
for page in "$root"/usr/share/man/man1/*.1*; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "$page: $warnings"; exit 1; }
done
echo "package checks passed"
