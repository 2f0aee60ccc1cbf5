#!/usr/bin/env bash
# Draws the two pictures of tarnwick.exe and writes them into res/:
#
#   res/tarnwick.ico  icon 128: an open cardboard box with a blue arrow going down into it, as pixel
#                     art at 16 x 16 and 32 x 32 (32-bit entries with their AND masks, transparent
#                     background). The art is the character grids below, one character a pixel.
#   res/sidebar.bmp   bitmap 131, the side picture of the licence, JVM and main pages: a deep blue
#                     gradient with the same box and arrow drawn in outline and the name underneath.
#
# Its size is 173 x 307 pixels. The picture's frame is 115 x 190 dialog units on the main page, 115 x
# 189 on the licence page and 115 x 202 on the JVM page; at 96 DPI the pages' 8-point MS Sans Serif
# makes 4 horizontal units 6 pixels and 8 vertical units 13 pixels, and Windows rounds each coordinate
# with MulDiv. Width: 115 units are 173 pixels. Height: a bitmap static control without
# SS_CENTERIMAGE or SS_REALSIZECONTROL takes the size of its bitmap, so the same picture shows at its
# own size on all three pages, 7 pixels from the top of the 323-pixel client area (8 on the JVM page).
# 307 pixels is the smallest frame, the licence page's 189 units: the picture then ends at pixel
# 314 or 315, level with the bottom edge of the pages' buttons, and shows whole everywhere. The JVM
# page's 202 units (328 pixels) would run 13 pixels past the bottom of that page.
#
# The BMP is a Windows 3 bitmap (BMP3), 8 bits per pixel with a 256-colour palette, run-length
# encoded (RLE8): windres takes it as it is, and the pages' picture controls load it with
# LoadBitmap, which decodes it. Uncompressed it was 55 KB of the 300 KB that tarnwick.exe may take;
# encoded it is 23 KB, with the same pixels. Text is set in DejaVu Sans
# (Debian's fonts-dejavu-core). Output is the same bytes on every run with the same ImageMagick.
#
# Usage: tools/draw-images.sh        (needs ImageMagick's convert: apt-get install -y imagemagick)
set -euo pipefail
cd "$(dirname "$0")/.."

command -v convert >/dev/null || {
    echo "draw-images: ImageMagick's convert is missing (apt-get install -y imagemagick)" >&2
    exit 1
}
fonts=/usr/share/fonts/truetype/dejavu
for font in DejaVuSans.ttf DejaVuSans-Bold.ttf; do
    [ -f "$fonts/$font" ] || {
        echo "draw-images: $fonts/$font is missing (apt-get install -y fonts-dejavu-core)" >&2
        exit 1
    }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# ---------------------------------------------------------------------------------------------
# The icon. Colours of the pixel grids; '.' is transparent.
palette='"K c #3A2812",  /* outline of the box */
"L c #F0CD8E",  /* light front edge */
"T c #D9A85F",  /* front of the box */
"S c #B7853F",  /* shaded side and bottom */
"G c #9C6B2C",  /* inside of the open flaps */
"D c #5A3C16",  /* inside of the box */
"N c #0C2E6A",  /* outline of the arrow */
"B c #2A6BCB",  /* arrow */
"H c #79AEF2",  /* light on the arrow */
". c None",'

# write_xpm NAME SIZE: the pixel rows come on standard input, one quoted row a line.
write_xpm() {
    local name=$1 size=$2
    {
        echo '/* XPM */'
        echo "static char *${name}[] = {"
        echo "\"$size $size 10 1\","
        echo "$palette"
        sed -e 's/$/,/' -e '$ s/,$//'
        echo '};'
    } >"$work/$name.xpm"
}

write_xpm icon16 16 <<'EOF'
"......NNNN......"
"......NHBN......"
"......NHBN......"
".KK...NHBN...KK."
".KGKNNNHBNNNKGK."
".KGGKNHBBBNKGGK."
"..KGGKNBBNKGGK.."
"..KKKKNBBNKKKK.."
".KDDDDDNNDDDDDK."
"KKKKKKKKKKKKKKKK"
"KLLLLLLLLLLLLLSK"
"KTTTTTTTTTTTTTSK"
"KTTTTTTTTTTTTTSK"
"KTTTTTTTTTTTTTSK"
"KSSSSSSSSSSSSSSK"
"KKKKKKKKKKKKKKKK"
EOF

write_xpm icon32 32 <<'EOF'
"................................"
"............NNNNNNNN............"
"............NHBBBBBN............"
"............NHBBBBBN............"
"............NHBBBBBN............"
"............NHBBBBBN............"
"............NHBBBBBN............"
"..KKKKKKKK..NHBBBBBN..KKKKKKKK.."
"...KGGGGGGK.NHBBBBBN.KGGGGGGK..."
"...KGGGGGGK.NHBBBBBN.KGGGGGGK..."
"....KGGGNNNNBHBBBBBBNNNNGGGK...."
"....KGGGGNHHHHBBBBBBBBNGGGGK...."
".....KGGGGNHBBBBBBBBBNGGGGK....."
".....KGGGGGNHBBBBBBBNGGGGGK....."
"......KKKKKKNHBBBBBNKKKKKK......"
".....KDDDDDDDNHBBBNDDDDDDDK....."
"....KDDDDDDDDDNHBNDDDDDDDDDK...."
"...KDDDDDDDDDDDNNDDDDDDDDDDDK..."
"..KKKKKKKKKKKKKKKKKKKKKKKKKKKK.."
"..KLLLLLLLLLLLLLLLLLLLLLLLSSSK.."
"..KTTTTTTTTTTTTTTTTTTTTTTTSSSK.."
"..KTTTTTTTTTTTTTTTTTTTTTTTSSSK.."
"..KTTTTTTTTTTTTTTTTTTTTTTTSSSK.."
"..KTTTTTTTTTTTTTTTTTTTTTTTSSSK.."
"..KTTTTTTTTTTTTTTTTTTTTTTTSSSK.."
"..KTTTTTTTTTTTTTTTTTTTTTTTSSSK.."
"..KTTTTTTTTTTTTTTTTTTTTTTTSSSK.."
"..KTTTTTTTTTTTTTTTTTTTTTTTSSSK.."
"..KSSSSSSSSSSSSSSSSSSSSSSSSSSK.."
"..KSSSSSSSSSSSSSSSSSSSSSSSSSSK.."
"..KKKKKKKKKKKKKKKKKKKKKKKKKKKK.."
"................................"
EOF

convert "$work/icon16.xpm" "$work/icon32.xpm" res/tarnwick.ico

# ---------------------------------------------------------------------------------------------
# The side picture.
width=173
height=307

# The box and arrow of the icon as outlines, on the icon's 32-unit grid: 3.5 pixels a unit,
# centred across, the arrow's top 57 pixels down.
emblem='
push graphic-context
  translate 30.5,54
  scale 3.5,3.5
  stroke-linejoin round
  stroke-width 0.9
  stroke "#FFFFFF"
  fill "#FFFFFF" fill-opacity 0.16
  polygon 6,14 13,14 10,7 2,7
  polygon 26,14 19,14 22,7 30,7
  fill "#03102A" fill-opacity 0.55
  polygon 6,14 26,14 30,18 2,18
  fill "#8FC0FF" fill-opacity 1
  polygon 12,1 20,1 20,10 24,10 16,18 8,10 12,10
  fill "#FFFFFF" fill-opacity 0.22
  rectangle 2,18 30,31
pop graphic-context'

# Dark blue from top to bottom, a soft glow behind the emblem, the emblem, a thin rule, the name
# and a small "SETUP" under it.
convert -size "${width}x${height}" gradient:'#1A4C94-#06163A' \
    \( -size 260x260 -define gradient:extent=minimum radial-gradient:'#2F64B0-black' \) \
    -geometry -44-18 -compose screen -composite \
    -compose over -draw "$emblem" \
    -stroke '#6F9AD8' -strokewidth 1 -draw 'line 40,220.5 133,220.5' -stroke none \
    -gravity north \
    -font "$fonts/DejaVuSans-Bold.ttf" -pointsize 27 -fill white -annotate +0+229 'Tarnwick' \
    -font "$fonts/DejaVuSans.ttf" -pointsize 10 -fill '#A9C6F0' -kerning 3 -annotate +0+268 'SETUP' \
    -alpha off +dither -colors 256 -type Palette -compress RLE \
    BMP3:res/sidebar.bmp

echo "draw-images: wrote res/tarnwick.ico and res/sidebar.bmp"
