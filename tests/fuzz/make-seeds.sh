#!/usr/bin/env bash
# Makes the photo seeds of the jpeg and metadata fuzz targets: a few tiny JPEGs with EXIF as
# cameras write it (libvips and exiftool), a progressive one, a truncated one, and one whose
# first directory holds a tag twice (written byte by byte). The results are committed; run this
# only to remake them. Needs libvips-tools and libimage-exiftool-perl.
set -euo pipefail
cd "$(dirname "$0")"
J=seeds/jpeg
M=seeds/metadata
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
mkdir -p "$J" "$M"

vips black "$T/b.v" 8 6 --bands 3
vips linear "$T/b.v" "$T/c.v" "1 1 1" "200 120 40" --uchar
vips jpegsave "$T/c.v" "$T/plain.jpg" --Q 50 --strip
vips jpegsave "$T/c.v" "$T/progressive.jpg" --Q 50 --strip --interlace

cp "$T/plain.jpg" "$J/plain.jpg"
cp "$T/progressive.jpg" "$J/progressive.jpg"
head -c 200 "$T/plain.jpg" > "$J/truncated.jpg"

camera() {  # camera OUT ORIENTATION [extra exiftool arguments]
  local out=$1 orientation=$2
  shift 2
  cp "$T/plain.jpg" "$out"
  exiftool -q -overwrite_original -n -Make="NIKON CORPORATION" -Model="NIKON D5100" \
    -Orientation="$orientation" -DateTimeOriginal="2023:05:24 13:36:17" -ExposureTime=0.002 \
    -FNumber=5.6 -ISO=400 -FocalLength=35 -FocalLengthIn35mmFormat=52 "$@" "$out"
}
camera "$M/camera.jpg" 1
camera "$M/sideways.jpg" 6 -LensModel="18.0-55.0 mm f/3.5-5.6"
camera "$M/gps.jpg" 3 -GPSLatitude=47.376887 -GPSLatitudeRef=N -GPSLongitude=8.541694 \
  -GPSLongitudeRef=E -GPSAltitude=408 -GPSAltitudeRef=0
cp "$M/camera.jpg" "$J/camera.jpg"

# IFD0 with Make twice, then Model: an APP1 segment written byte by byte after SOI.
{
  printf '\xff\xd8'
  printf '\xff\xe1\x00\x46Exif\x00\x00'                   # APP1, length 70
  printf 'II*\x00\x08\x00\x00\x00'                       # little-endian TIFF, IFD0 at 8
  printf '\x03\x00'                                      # three entries
  printf '\x0f\x01\x02\x00\x06\x00\x00\x00\x32\x00\x00\x00'  # Make, ASCII 6 at 50
  printf '\x0f\x01\x02\x00\x06\x00\x00\x00\x38\x00\x00\x00'  # Make again at 56
  printf '\x10\x01\x02\x00\x04\x00\x00\x00D51\x00'        # Model "D51" inline
  printf '\x00\x00\x00\x00'                              # no next IFD
  printf 'Canon\x00Nikon\x00'
  tail -c +3 "$T/plain.jpg"
} > "$M/tag-twice.jpg"
ls -l "$J" "$M"
