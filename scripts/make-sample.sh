#!/usr/bin/env bash
# Makes the bundled sample disk image reproducibly with Debian's own tools:
# an 8 MiB disk with an MBR, a FAT16 partition holding files with long
# names, and a small Linux partition with an ext2 file system.
# Usage: make-sample.sh OUTPUT.img
set -euo pipefail
out=${1:?usage: make-sample.sh OUTPUT.img}
export PATH="$PATH:/usr/sbin:/sbin"
export SOURCE_DATE_EPOCH=1000000000 E2FSPROGS_FAKE_TIME=1000000000
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

img="$tmp/sample.img"
truncate -s 8M "$img"
sfdisk --quiet "$img" <<'TABLE'
label: dos
label-id: 0x7a0b1c2d
start=2048, size=8192, type=6, bootable
start=10240, size=6144, type=83
TABLE

# FAT16 volume in partition 1 (sectors 2048..10239).
fat="$tmp/fat.img"
truncate -s $((8192 * 512)) "$fat"
mkfs.fat -F 16 -s 1 -n TROVIK -i 12345678 --invariant "$fat" >/dev/null
printf 'Trovik sample file\r\n' > "$tmp/README.TXT"
printf 'A file whose name needs a long file name entry.\n' > "$tmp/long name example.txt"
touch -d @1000000000 "$tmp/README.TXT" "$tmp/long name example.txt"
MTOOLS_SKIP_CHECK=1 mcopy -m -i "$fat" "$tmp/README.TXT" "$tmp/long name example.txt" ::/
dd if="$fat" of="$img" bs=512 seek=2048 conv=notrunc status=none

# ext2 in partition 2 (sectors 10240..16383).
ext="$tmp/ext.img"
truncate -s $((6144 * 512)) "$ext"
mkdir -p "$tmp/root/docs"
cp "$tmp/README.TXT" "$tmp/root/docs/readme.txt"
ln -s docs/readme.txt "$tmp/root/link"
touch -d @1000000000 "$tmp/root/docs/readme.txt" "$tmp/root/docs" "$tmp/root"
touch -h -d @1000000000 "$tmp/root/link"
mkfs.ext2 -q -F -b 1024 -L trovik -U 0f0e0d0c-0b0a-4908-8706-050403020100 \
  -E hash_seed=00000000-0000-4000-8000-000000000000 -d "$tmp/root" "$ext"
# Copied inodes keep the source's change time, which cannot be set: pin it.
for path in / /docs /docs/readme.txt /link; do
  debugfs -w -R "set_inode_field $path ctime @1000000000" "$ext" >/dev/null 2>&1
done
dd if="$ext" of="$img" bs=512 seek=10240 conv=notrunc status=none

mv "$img" "$out"
