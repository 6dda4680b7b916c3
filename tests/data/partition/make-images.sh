#!/bin/bash
# Makes the partition-table samples of the tests with Debian's own tools
# (packages fdisk and gdisk) and records what those tools say about them.
#   mbr.bin          first sector of a 64 MiB disk partitioned by sfdisk
#   mbr.sfdisk.txt   sfdisk --dump of that disk
#   gpt.bin          first 34 sectors (protective MBR, GPT header, entry
#                    array) of a 64 MiB disk partitioned by sgdisk
#   gpt.sgdisk.txt   sgdisk -p and -i of each partition
# Every GUID is given, so the output is the same on every run.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

truncate -s 64M "$work/mbr.img"
sfdisk --quiet "$work/mbr.img" <<'TABLE'
label: dos
label-id: 0x5452564b
start=2048, size=8192, type=c, bootable
start=10240, size=16384, type=83
start=26624, size=8192, type=82
start=34816, size=96256, type=5
TABLE
head -c 512 "$work/mbr.img" >mbr.bin
sfdisk --dump "$work/mbr.img" | sed "s|$work/||" >mbr.sfdisk.txt

truncate -s 64M "$work/gpt.img"
sgdisk --clear \
  --disk-guid=5452564B-0001-4000-8000-000000000001 \
  --new=1:2048:+8M --typecode=1:ef00 --change-name=1:"EFI system" \
  --partition-guid=1:5452564B-0101-4000-8000-000000000101 --attributes=1:set:0 \
  --new=2:0:+16M --typecode=2:8300 --change-name=2:"Linux root" \
  --partition-guid=2:5452564B-0202-4000-8000-000000000202 --attributes=2:set:60 --attributes=2:set:62 \
  --new=3:0:0 --typecode=3:0700 --change-name=3:"Data volume" \
  --partition-guid=3:5452564B-0303-4000-8000-000000000303 --attributes=3:set:63 \
  "$work/gpt.img" >/dev/null
head -c $((34 * 512)) "$work/gpt.img" >gpt.bin
{
  sgdisk -p "$work/gpt.img"
  for n in 1 2 3; do
    echo "== partition $n"
    sgdisk -i "$n" "$work/gpt.img"
  done
} | sed "s|$work/||" >gpt.sgdisk.txt
