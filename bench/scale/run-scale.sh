#!/usr/bin/env bash
# Scale check of trovik-dump: every structure type at Count 16384 (types
# without Count: once) on large real images made by the system's own tools,
# and the general formats over a 4 GiB sparse file, output to /dev/null.
# Prints the wall time and the peak RSS of each run and flags any type above
# 2 s or 32 MiB.
# Usage: bench/scale/run-scale.sh [TROVIK_DUMP] [WORK_DIR]
#   TROVIK_DUMP  a release build (default build/release/src/trovik-dump)
#   WORK_DIR     where the images go (default: a temporary folder, removed
#                afterwards; a given folder is kept and its images reused)
# Needs e2fsprogs, dosfstools, mtools, gdisk, xorriso, udftools, genisoimage.
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
dump=${1:-$src/build/release/src/trovik-dump}
[ -x "$dump" ] || { echo "build a release trovik-dump first (cmake --preset release && cmake --build --preset release)" >&2; exit 2; }
if [ -n "${2:-}" ]; then
  work=$2
  mkdir -p "$work"
else
  work=$(mktemp -d /var/tmp/trovik-scale.XXXXXX)
  trap 'rm -rf "$work"' EXIT
fi
export LC_ALL=C
max_seconds=2
max_rss_kib=$((32 * 1024))

le32() { od -An -t u4 -j "$2" -N 4 "$1" | tr -d ' '; }
le16() { od -An -t u2 -j "$2" -N 2 "$1" | tr -d ' '; }

make_images() {
  [ -f "$work/done" ] && return
  echo "making images in $work ..."
  # A tree with many files and directories: long names for FAT LFN entries
  # and Joliet, enough directories for a long ISO 9660 path table.
  local tree=$work/tree d f
  rm -rf "$tree"
  mkdir -p "$tree"
  for d in $(seq -w 1 300); do
    mkdir "$tree/directory-with-a-long-name-$d"
    for f in $(seq -w 1 10); do
      printf 'file %s of %s\n' "$f" "$d" >"$tree/directory-with-a-long-name-$d/a file with a long name $f.txt"
    done
  done

  truncate -s 2G "$work/gpt.img"
  sgdisk --clear --new=1:2048:+512M --new=2:0:+512M --new=3:0:0 "$work/gpt.img" >/dev/null

  truncate -s 2G "$work/ext4.img"
  mkfs.ext4 -q -F -b 4096 -I 256 -d "$tree" "$work/ext4.img"

  truncate -s 2G "$work/fat32.img"
  mkfs.fat -F 32 "$work/fat32.img" >/dev/null
  # Long-named entries in the root directory (one cluster chain, many LFN).
  MTOOLS_SKIP_CHECK=1 mcopy -s -i "$work/fat32.img" "$tree"/directory-with-a-long-name-00* ::/
  for f in "$tree"/directory-with-a-long-name-001/*; do MTOOLS_SKIP_CHECK=1 mcopy -i "$work/fat32.img" "$f" ::/; done

  truncate -s 1G "$work/fat16.img"
  mkfs.fat -F 16 "$work/fat16.img" >/dev/null

  xorriso -as mkisofs -quiet -J -o "$work/iso.iso" "$tree" 2>/dev/null

  truncate -s 512M "$work/udf.img"
  mkudffs --blocksize=2048 --media-type=hd "$work/udf.img" >/dev/null

  # The sample executables at the head of a 64 MiB file.
  cp "$src/tests/data/exe/hello64.exe" "$work/pe.img"
  truncate -s 64M "$work/pe.img"

  truncate -s 4G "$work/sparse-4g.img"
  rm -rf "$tree"
  touch "$work/done"
}

# Where each family's structures lie in the images.
locate() {
  local img
  img=$work/ext4.img
  ext_inodes=$(( $(dumpe2fs "$img" 2>/dev/null | sed -n 's/^ *Inode table at \([0-9]*\)-.*/\1/p' | head -n 1) * 4096 ))
  ext_root=$(( $(debugfs -R 'bmap / 0' "$img" 2>/dev/null) * 4096 ))
  ext_journal=$(( $(debugfs -R 'bmap <8> 0' "$img" 2>/dev/null) * 4096 ))
  img=$work/fat32.img
  local reserved fats fatsize cluster_bytes
  reserved=$(le16 "$img" 14)
  fats=$(od -An -t u1 -j 16 -N 1 "$img" | tr -d ' ')
  fatsize=$(le32 "$img" 36)
  fat32_root=$(( (reserved + fats * fatsize) * 512 ))
  img=$work/iso.iso
  iso_root=$(( $(le32 "$img" $((0x8000 + 158))) * 2048 ))
  iso_path=$(( $(le32 "$img" $((0x8000 + 140))) * 2048 ))
  pe_header=$(le32 "$work/pe.img" 60)
}

# image and start offset of a type, chosen by its family (the name's prefix)
place() {
  case $1 in
    mbr) echo "$work/gpt.img 0x1BE" ;;
    gpt-header) echo "$work/gpt.img 512" ;;
    gpt-entry) echo "$work/gpt.img 1024" ;;
    ext2-super) echo "$work/ext4.img 1024" ;;
    ext2-group | ext4-group) echo "$work/ext4.img 4096" ;;
    ext2-inode*) echo "$work/ext4.img $ext_inodes" ;;
    ext2-dir) echo "$work/ext4.img $ext_root" ;;
    ext3-journal) echo "$work/ext4.img $ext_journal" ;;
    fat-bpb) echo "$work/fat16.img 0" ;;
    fat32-bpb) echo "$work/fat32.img 0" ;;
    fat32-info) echo "$work/fat32.img 512" ;;
    fat-*) echo "$work/fat32.img $fat32_root" ;;
    iso-pvd) echo "$work/iso.iso 0x8000" ;;
    iso-svd) echo "$work/iso.iso 0x8800" ;;
    iso-dir*) echo "$work/iso.iso $iso_root" ;;
    iso-path*) echo "$work/iso.iso $iso_path" ;;
    udf) echo "$work/udf.img 0x80000" ;;
    mz) echo "$work/pe.img 0" ;;
    pe-header) echo "$work/pe.img $pe_header" ;;
    pe-optional) echo "$work/pe.img $((pe_header + 24))" ;;
    pe-section) echo "$work/pe.img $((pe_header + 24 + 240))" ;;
    *) echo "$work/ext4.img 0" ;;  # no sample of this family: any bytes
  esac
}

over=0
limit_time=1
# run NAME COUNT IMAGE [trovik-dump options...]
run() {
  local name=$1 count=$2 img=$3 status=0
  shift 3
  /usr/bin/time -o "$work/time" -f '%e %M' "$dump" --type "$name" "$@" "$img" >/dev/null 2>"$work/stderr" || status=$?
  read -r secs rss < <(tail -n 1 "$work/time")
  local note=""
  if [ "$status" -ne 0 ]; then note=" exit $status: $(head -c 80 "$work/stderr" | tr '\n' ' ')"; fi
  # The time limit is for the structure walks; a 4 GiB general dump takes longer.
  if [ "$limit_time" = 1 ] && (( $(echo "$secs > $max_seconds" | bc) )); then
    note="$note  <-- over ${max_seconds} s"
    over=1
  fi
  if [ "$rss" -gt "$max_rss_kib" ]; then note="$note  <-- over 32 MiB"; over=1; fi
  printf '%-16s %6s  %-10s %7.2f s  %6.1f MiB%s\n' "$name" "$count" "$(basename "$img")" "$secs" \
    "$(echo "$rss / 1024" | bc -l)" "$note"
}

make_images
locate
echo "trovik-dump: $dump"
printf '%-16s %6s  %-10s %9s  %10s\n' type count image time "peak RSS"
while read -r _ name rest; do
  count=$(awk '{print $(NF-1)}' <<<"$rest")
  if [[ $(awk '{print $1, $2}' <<<"$rest") == "General Dump" ]]; then continue; fi
  read -r img start <<<"$(place "$name")"
  if [ "$count" = "-" ]; then
    run "$name" - "$img" --start "$start"
  else
    run "$name" 16384 "$img" --start "$start" --count 16384
  fi
done < <("$dump" --list-types | tail -n +2)
echo
echo "general formats over a 4 GiB sparse file (the whole file):"
limit_time=0
while read -r name; do
  run "$name" - "$work/sparse-4g.img"
done < <("$dump" --list-types | awk '$3 == "General" {print $2}')
exit $over
