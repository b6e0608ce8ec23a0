#!/bin/sh
# Makes the desktop icons (hicolor theme sizes) from the wizard's own 32 x 32 icon. Larger
# sizes are enlarged by whole pixels (point filter), so the drawing stays sharp. The PNG files
# are kept in git, so neither a build nor the package needs ImageMagick; run again after
# changing src/gui/art/icon.png.
set -eu
here=$(dirname "$0")
source_icon=$here/../src/gui/art/icon.png
for size in 16 32 48 64 128 256; do
    mkdir -p "$here/icons/${size}x${size}"
    if [ "$size" -lt 32 ]; then filter=Lanczos; else filter=Point; fi
    convert "$source_icon" -filter "$filter" -resize "${size}x${size}" -strip \
        "PNG32:$here/icons/${size}x${size}/sprandel.png"
done
