#!/usr/bin/env bash
# Time and peak memory of trovik-dump --map (and --map --json, which also
# dumps every row to count its red annotations) on two large sparse images:
# a 64 GiB GPT disk with four partitions (FAT32, ext4, ext4 near the end,
# an empty one), and a 4 GiB ISO 9660 image with Joliet and an EFI image.
# Usage: bench/map.sh [TROVIK_DUMP]
set -euo pipefail
dump=${1:-build/release/src/trovik-dump}
[ -x "$dump" ] || { echo "build trovik-dump first (cmake --preset release && cmake --build --preset release)" >&2; exit 2; }
export PATH="$PATH:/usr/sbin:/sbin"
tmp=$(mktemp -d /tmp/trovik-map-bench.XXXXXX)
trap 'rm -rf "$tmp"' EXIT

# The disk: partitions at 1 MiB, 16 GiB, 40 GiB and 63 GiB; the file systems
# are made in place through offsets, so the image stays sparse.
disk="$tmp/disk64.img"
truncate -s 64G "$disk"
sgdisk -n1:2048:+1G -t1:ef00 -n2:16G:+8G -t2:8300 -n3:40G:+8G -t3:8300 -n4:63G:+512M -t4:8300 "$disk" >/dev/null
mkfs.fat -F 32 --offset 2048 "$disk" $((1024 * 1024)) >/dev/null 2>&1
mkfs.ext4 -q -E offset=$((16 << 30)) "$disk" 8G
mkfs.ext4 -q -E offset=$((40 << 30)) "$disk" 8G

# The ISO: one 4 GiB sparse file inside, so the image itself is 4 GiB.
root="$tmp/root"
mkdir -p "$root/docs"
echo readme > "$root/readme.txt"
mkfs.fat -C -n EFIBOOT "$root/efi.img" 2880 >/dev/null
truncate -s 4G "$root/big.bin"
iso="$tmp/big.iso"
xorriso -as mkisofs -quiet -J -iso-level 3 -e efi.img -no-emul-boot -o "$iso" "$root" 2>/dev/null

measure() {
  local name=$1; shift
  local out
  out=$( { /usr/bin/time -f '%e %M' "$@" > "$tmp/out"; } 2>&1 | tail -1)
  read -r wall rss <<<"$out"
  printf '%-28s wall %6.3f s  peak RSS %6.1f MiB  rows %s\n' "$name" "$wall" "$(echo "$rss / 1024" | bc -l)" \
    "$(($(wc -l < "$tmp/out") - 1))"
}

echo "disk: $(du -h --apparent-size "$disk" | cut -f1) apparent, $(du -h "$disk" | cut -f1) on disk"
measure "--map 64 GiB GPT disk" "$dump" --map "$disk"
measure "--map --json 64 GiB GPT disk" "$dump" --map --json "$disk"
echo "iso: $(du -h --apparent-size "$iso" | cut -f1) apparent"
measure "--map 4 GiB ISO" "$dump" --map "$iso"
measure "--map --json 4 GiB ISO" "$dump" --map --json "$iso"
