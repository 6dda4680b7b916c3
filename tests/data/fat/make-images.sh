#!/bin/bash
# Makes the FAT samples of the tests with Debian's own tools (packages
# dosfstools, mtools and faketime) and records what those tools say about
# them. The clock is frozen so that every run gives the same bytes.
#   fat12.img             a whole 160 KiB FAT12 volume
#   fat16-head.bin        the first 64 KiB of a 4 MiB FAT16 volume (boot
#                         sector, both FATs and the root directory)
#   fat32-reserved.bin    the 32 reserved sectors of a 40 MiB FAT32 volume
#                         (boot sector, info sector, backup boot sector)
#   fat32-root.bin        the first 2 KiB of that volume's root directory
#   *.tools.txt           minfo, fsck.fat -v and mdir of each volume
set -euo pipefail
cd "$(dirname "$0")"
export TZ=UTC MTOOLS_SKIP_CHECK=1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
frozen() { NO_FAKE_STAT=1 faketime '2024-03-05 10:20:30' "$@"; }

# Files with long names (several LFN entries each), a sub-directory and a
# file whose name fits 8.3.
mkdir -p "$work/files"
echo "a file with a long name" >"$work/files/A long file name.txt"
echo "readme" >"$work/files/README.TXT"
printf 'x%.0s' {1..3000} >"$work/files/Quarterly report 2024 (final).data"
touch -d '2024-01-02 13:17:58' "$work/files/"*

fill() {  # image
  frozen mcopy -m -i "$1" "$work/files/"* ::/
  frozen mmd -i "$1" "::/Sub Folder"
  frozen mcopy -m -i "$1" "$work/files/README.TXT" "::/Sub Folder/"
}
report() {  # image
  echo "== minfo"; minfo -i "$1" ::
  echo "== fsck.fat -v -n"; fsck.fat -v -n "$1"
  echo "== mdir -a"; mdir -a -i "$1" ::/
}

rm -f "$work/fat12.img"
frozen mkfs.fat -C -F 12 -D 0x00 -i 1234ABCD -n TROVIK12 "$work/fat12.img" 160 >/dev/null
fill "$work/fat12.img"
cp "$work/fat12.img" fat12.img
report "$work/fat12.img" | sed "s|$work/||g" >fat12.tools.txt

frozen mkfs.fat -C -F 16 -s 1 -i 16161616 -n TROVIK16 "$work/fat16.img" 4096 >/dev/null
fill "$work/fat16.img"
head -c $((64 * 1024)) "$work/fat16.img" >fat16-head.bin
report "$work/fat16.img" | sed "s|$work/||g" >fat16.tools.txt

frozen mkfs.fat -C -F 32 -s 1 -i 32323232 -n TROVIK32 "$work/fat32.img" 40960 >/dev/null
fill "$work/fat32.img"
head -c $((32 * 512)) "$work/fat32.img" >fat32-reserved.bin
reserved=$(od -An -t u2 -j 14 -N 2 "$work/fat32.img" | tr -d ' ')
fats=$(od -An -t u1 -j 16 -N 1 "$work/fat32.img" | tr -d ' ')
fatSize=$(od -An -t u4 -j 36 -N 4 "$work/fat32.img" | tr -d ' ')
rootSector=$((reserved + fats * fatSize))
dd if="$work/fat32.img" of=fat32-root.bin bs=512 skip="$rootSector" count=4 status=none
{
  echo "== root directory at sector $rootSector"
  report "$work/fat32.img"
} | sed "s|$work/||g" >fat32.tools.txt
