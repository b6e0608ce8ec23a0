#!/bin/sh
# Draws the wizard's pictures (application icon, the eight connect-animation frames, the
# watermark of the exterior pages and the banner of the interior ones) into src/gui/art.
# Run again after changing a drawing; the PNG files are kept in git so a build needs no
# ImageMagick.
set -eu
out=$(dirname "$0")/../src/gui/art
mkdir -p "$out"

# A database cylinder: ellipse top, body, ellipse bottom. $1 x, $2 y, $3 width, $4 height.
cylinder() {
    x=$1 y=$2 w=$3 h=$4 r=$(($3 / 2)) e=$(($3 / 5))
    echo "fill '#2f6db5' stroke '#173c66' stroke-width 1
          rectangle $x,$((y + e / 2)) $((x + w)),$((y + h - e / 2))
          ellipse $((x + r)),$((y + h - e / 2)) $r,$((e / 2)) 0,180
          fill '#5b97d9' ellipse $((x + r)),$((y + e / 2)) $r,$((e / 2)) 0,360"
}

# A worksheet: white page with a green header row and grid lines. $1 x, $2 y, $3 w, $4 h.
sheet() {
    x=$1 y=$2 w=$3 h=$4 row=$(($4 / 5)) col=$(($3 / 3))
    echo "fill white stroke '#1e6b3a' stroke-width 1 rectangle $x,$y $((x + w)),$((y + h))
          fill '#2e8b57' rectangle $x,$y $((x + w)),$((y + row))
          fill none stroke '#7fb893'
          line $((x + col)),$y $((x + col)),$((y + h)) line $((x + 2 * col)),$y $((x + 2 * col)),$((y + h))
          line $x,$((y + 2 * row)) $((x + w)),$((y + 2 * row)) line $x,$((y + 3 * row)) $((x + w)),$((y + 3 * row))
          line $x,$((y + 4 * row)) $((x + w)),$((y + 4 * row))"
}

arrow() {  # $1 x, $2 y: a short arrow pointing right
    echo "fill '#e08a1e' stroke '#9a5a0c' polygon $1,$(($2 - 2)) $(($1 + 6)),$(($2 - 2)) $(($1 + 6)),$(($2 - 5)) \
          $(($1 + 11)),$2 $(($1 + 6)),$(($2 + 5)) $(($1 + 6)),$(($2 + 2)) $1,$(($2 + 2))"
}

convert -size 32x32 xc:none -draw "$(cylinder 1 4 12 20)" -draw "$(sheet 17 9 14 18)" -draw "$(arrow 11 22)" \
    "$out/icon.png"
convert -size 49x49 xc:'#f4f7fb' -draw "$(cylinder 4 8 16 28)" -draw "$(sheet 26 14 20 24)" -draw "$(arrow 16 34)" \
    "$out/banner.png"

# Watermark: a dark gradient with the product's name and the cylinder-to-sheet picture.
convert -size 205x392 gradient:'#123a63'-'#2e8b8a' \
    -draw "$(cylinder 30 150 60 90)" -draw "$(sheet 112 170 70 80)" -draw "$(arrow 88 225)" \
    -fill white -font DejaVu-Sans-Bold -pointsize 24 -annotate +28+80 'Sprandel' \
    -fill '#cfe3f5' -font DejaVu-Sans -pointsize 12 -annotate +30+104 'Oracle into Excel' \
    "$out/watermark.png"

# Connect animation: eight dots on a ring around a small cylinder; the bright dot walks round.
frame=0
while [ $frame -lt 8 ]; do
    dots=""
    i=0
    while [ $i -lt 8 ]; do
        # positions on a ring of radius 13 around (16,16), every 45 degrees
        set -- 16,3 25,7 29,16 25,25 16,29 7,25 3,16 7,7
        shift $i
        pos=$1
        colour="'#b9c9da'"
        [ $i -eq $frame ] && colour="'#e08a1e'"
        [ $i -eq $(((frame + 7) % 8)) ] && colour="'#e9b676'"
        px=${pos%,*} py=${pos#*,}
        dots="$dots fill $colour stroke none circle $px,$py $((px + 2)),$py"
        i=$((i + 1))
    done
    convert -size 32x32 xc:none -draw "$(cylinder 10 8 12 16)" -draw "$dots" "$out/connect_$((frame + 1)).png"
    frame=$((frame + 1))
done
echo "pictures written to $out"
