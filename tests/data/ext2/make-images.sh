#!/bin/sh
# Makes the ext2/ext3/ext4 samples of the ext2 decoder tests and the
# reference listings of the e2fsprogs tools beside them. Reproducible:
# fixed UUIDs, hash seeds and times. Needs e2fsprogs (mke2fs, debugfs,
# dumpe2fs). The images themselves are too large to keep (a journal needs
# 1 MiB at least), so only the structures the tests decode are cut out:
#   <fs>-super.bin    the primary superblock (1024 bytes at byte 1024)
#   <fs>-gdt.bin      the block group descriptor table (block 2)
#   <fs>-inodes.bin   the first 16 inodes of the inode table
#   <fs>-root.bin     the root directory's first block
#   <fs>-journal.bin  the journal superblock (ext3, ext4)
#   <fs>-dumpe2fs.txt dumpe2fs -h
#   <fs>-stat.txt     debugfs stat of the sample inodes
#   <fs>-layout.txt   where the cut-out structures lie (for the tests)
set -eu
export TZ=UTC LC_ALL=C
export E2FSPROGS_FAKE_TIME=1700000000
out=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The tree the file systems are populated with.
tree=$work/tree
mkdir -p "$tree/sub"
printf 'hello, ext2\n' >"$tree/hello.txt"
i=0
while [ $i -lt 1500 ]; do printf 'line %05d of a file that spans blocks\n' $i; i=$((i + 1)); done >"$tree/big.txt"
printf 'in a sub-directory\n' >"$tree/sub/inner.txt"
ln -s hello.txt "$tree/short-link"
long=sub/a-long-target-name-that-does-not-fit-into-the-sixty-byte-block-area-of-an-inode.txt
ln -s "$long" "$tree/long-link"
find "$tree" -exec touch -h -d @1600000000 {} +

make() {  # name, mke2fs options...
  name=$1
  shift
  img=$work/$name.img
  rm -f "$img"
  mke2fs -q -F -b 1024 -E root_owner=0:0,hash_seed=11112222-3333-4444-5555-666677778888 \
    -U 0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9 -L "$name-vol" -d "$tree" "$@" "$img" 4096
  # mke2fs -d stamps access and change times with the clock: fix them.
  for f in / /lost+found /hello.txt /big.txt /sub /sub/inner.txt /short-link /long-link; do
    echo "sif $f atime 1600000100"
    echo "sif $f ctime 1600000200"
  done >"$work/times.cmd"
  debugfs -w -f "$work/times.cmd" "$img" >/dev/null 2>&1
  dd if="$img" of="$out/$name-super.bin" bs=1024 skip=1 count=1 status=none
  dd if="$img" of="$out/$name-gdt.bin" bs=1024 skip=2 count=1 status=none
  dumpe2fs -h "$img" 2>/dev/null >"$out/$name-dumpe2fs.txt"
  table=$(dumpe2fs "$img" 2>/dev/null | sed -n 's/^ *Inode table at \([0-9]*\)-.*/\1/p' | head -n 1)
  isize=$(sed -n "s/^Inode size:[[:space:]]*//p" "$out/$name-dumpe2fs.txt")
  dd if="$img" of="$out/$name-inodes.bin" bs=1 skip=$((table * 1024)) count=$((16 * isize)) status=none
  rootblk=$(debugfs -R 'bmap / 0' "$img" 2>/dev/null)
  dd if="$img" of="$out/$name-root.bin" bs=1024 skip="$rootblk" count=1 status=none
  {
    echo "inode table: $table"
    echo "inode size: $isize"
    echo "root block: $rootblk"
    for f in /hello.txt /big.txt /sub /short-link /long-link; do
      echo "inode $f: $(debugfs -R "stat $f" "$img" 2>/dev/null | sed -n 's/^Inode: \([0-9]*\) .*/\1/p')"
    done
  } >"$out/$name-layout.txt"
  for f in /hello.txt /big.txt /sub /short-link /long-link; do
    echo "== $f"
    debugfs -R "stat $f" "$img" 2>/dev/null
  done >"$out/$name-stat.txt"
  if dumpe2fs -h "$img" 2>/dev/null | grep -q has_journal; then
    jblk=$(debugfs -R 'bmap <8> 0' "$img" 2>/dev/null)
    dd if="$img" of="$out/$name-journal.bin" bs=1024 skip="$jblk" count=1 status=none
    echo "journal block: $jblk" >>"$out/$name-layout.txt"
  fi
}

make ext2 -t ext2 -I 128
make ext3 -t ext3 -I 128 -J size=1
make ext4 -t ext4 -O 64bit,extents,flex_bg,metadata_csum -J size=1
