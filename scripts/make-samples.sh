#!/usr/bin/env bash
# Makes the sample photos in samples/: synthetic scenes drawn with libvips (no third-party
# pictures) with camera-like EXIF data written by exiftool. The results are committed; run this
# only to remake them. Needs libvips-tools and libimage-exiftool-perl.
set -euo pipefail
cd "$(dirname "$0")/.."
OUT=samples
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
mkdir -p "$OUT"

# scene NAME WIDTH HEIGHT SEED SKY_TOP SKY_BOTTOM GROUND   (colours as "r g b")
# A sky gradient with clouds of Perlin noise over a hilly ground line.
scene() {
  local name=$1 w=$2 h=$3 seed=$4 top=$5 bottom=$6 ground=$7
  vips xyz "$T/xy.v" "$w" "$h"
  vips extract_band "$T/xy.v" "$T/y.v" 1
  vips linear "$T/y.v" "$T/t.v" "$(echo "1 / $h" | bc -l)" 0      # 0 at the top, 1 at the bottom
  read -r r1 g1 b1 <<< "$top"; read -r r2 g2 b2 <<< "$bottom"
  vips linear "$T/t.v" "$T/sky.v" "$((r2 - r1)) $((g2 - g1)) $((b2 - b1))" "$r1 $g1 $b1"
  vips perlin "$T/p.v" "$w" "$h" --cell-size 180 --seed "$seed"
  vips linear "$T/p.v" "$T/clouds.v" 60 0
  vips add "$T/sky.v" "$T/clouds.v" "$T/s.v"
  # the ground: a wavy horizon from a second noise field
  vips perlin "$T/q.v" "$w" "$h" --cell-size 400 --seed "$((seed + 7))"
  vips linear "$T/q.v" "$T/q2.v" 0.18 0.62
  vips relational "$T/t.v" "$T/q2.v" "$T/mask.v" more
  read -r r3 g3 b3 <<< "$ground"
  vips linear "$T/p.v" "$T/gn.v" 40 0
  vips black "$T/z.v" "$w" "$h" --bands 3
  vips linear "$T/z.v" "$T/g0.v" "1 1 1" "$r3 $g3 $b3"
  vips add "$T/g0.v" "$T/gn.v" "$T/g.v"
  vips ifthenelse "$T/mask.v" "$T/g.v" "$T/s.v" "$T/img.v"
  vips cast "$T/img.v" "$T/u.v" uchar
  vips copy "$T/u.v" "$T/c.v" --interpretation srgb
  vips jpegsave "$T/c.v" "$OUT/$name" --Q 85 --strip
  rm -f "$T"/*.v
}

scene abendrot.jpg 1200 800 11 "40 30 90" "250 150 60" "30 25 35"
scene bergsee.jpg 1200 800 23 "60 120 210" "180 215 240" "40 70 60"
scene wiese.jpg 1200 800 37 "110 170 235" "220 235 250" "70 140 50"
scene duene.jpg 1200 900 41 "90 150 220" "230 210 170" "210 170 110"
scene nebel.jpg 800 1200 53 "150 150 160" "220 220 225" "90 95 100"
# a photo stored sideways, as a camera turned on its side writes it
scene kueste-quer.jpg 1200 800 67 "20 40 90" "120 160 210" "50 60 70"
vips rot "$OUT/kueste-quer.jpg" "$T/r.v" d270
vips jpegsave "$T/r.v" "$OUT/kueste.jpg" --Q 85 --strip
rm -f "$OUT/kueste-quer.jpg"

i=0
for f in abendrot bergsee wiese duene nebel kueste; do
  i=$((i + 1))
  orientation=1; [ "$f" = kueste ] && orientation=6
  exiftool -q -overwrite_original -n \
    -Make="Vistrel" -Model="Beispielkamera $i" -Orientation=$orientation \
    -ModifyDate="2024:0$i:1$i 1$i:2$i:00" -DateTimeOriginal="2024:0$i:1$i 1$i:2$i:00" \
    -ExposureTime="0.00$i" -FNumber="$((i + 2)).5" -ISO="$((i * 100))" -FocalLength="$((i * 10))" \
    -ImageDescription="Beispielbild $i" -Artist="Vistrel" "$OUT/$f.jpg"
done
ls -l "$OUT"
