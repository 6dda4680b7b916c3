#!/bin/sh
# Makes the optical-media sample images of the decoder tests, reproducibly.
# Needs Debian's xorriso, genisoimage (isoinfo), udftools and faketime.
#   iso-joliet.iso  ISO 9660 with Joliet and Rock Ridge, nested directories
#                   and long names (xorriso)
#   udf-512.img     an empty UDF 2.01 file system with 512-byte blocks, so its
#                   anchor (block 256) lies inside a small file (mkudffs)
#   udf-files.bin   blocks 256..272 of a UDF 1.02 image holding a few files
#                   (genisoimage -udf): anchor, file set descriptor, file
#                   entries and directory identifiers. The whole image is too
#                   large to keep, and its other blocks carry random ids.
# The *.txt files beside them hold what isoinfo and udfinfo say of them.
set -eu
out=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SOURCE_DATE_EPOCH=1680674828
export TZ=UTC

tree="$work/tree"
mkdir -p "$tree/docs/deeper/deepest" "$tree/src"
echo hello > "$tree/readme.txt"
echo "long name" > "$tree/docs/A rather long file name for Joliet.txt"
echo leaf > "$tree/docs/deeper/deepest/leaf.dat"
echo "int main(void) { return 0; }" > "$tree/src/main.c"
find "$tree" -exec touch -d '2023-04-05 06:07:08 UTC' {} +

rm -f "$out/iso-joliet.iso"
xorriso -as mkisofs -quiet -J -R -V TROVIK_ISO -publisher "TROVIK TESTS" -A "TROVIK OPTICAL" \
  -no-pad -o "$out/iso-joliet.iso" "$tree" 2>/dev/null
(cd "$out" && { isoinfo -d -i iso-joliet.iso; isoinfo -l -i iso-joliet.iso; } > iso-joliet.isoinfo.txt)

rm -f "$out/udf-512.img"
faketime -f '2023-04-05 06:07:08' mkudffs --new-file --blocksize=512 --media-type=hd --ad=short \
  --label=TROVIKUDF --uuid=0123456789abcdef "$out/udf-512.img" 400 > /dev/null
(cd "$out" && udfinfo udf-512.img > udf-512.udfinfo.txt)

faketime -f '2023-04-05 06:07:08' genisoimage -quiet -udf -V TROVIKFILES -o "$work/files.iso" "$tree"
dd if="$work/files.iso" of="$out/udf-files.bin" bs=2048 skip=256 count=17 status=none
chmod 644 "$out/iso-joliet.iso" "$out/udf-512.img" "$out/udf-files.bin"
