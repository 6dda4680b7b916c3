#!/bin/sh
# Renders the application icon (org.trovik.Trovik.svg) into the PNG sizes the
# desktop's icon theme uses, and the window icon the application carries.
# Needs rsvg-convert (package librsvg2-bin).
set -eu
cd "$(dirname "$0")"
for size in 16 32 48 64 128 256; do
  rsvg-convert -w $size -h $size org.trovik.Trovik.svg -o org.trovik.Trovik-$size.png
done
cp org.trovik.Trovik-64.png trovik.png
