#!/usr/bin/env bash
# Makes the photo seeds of the jpeg, metadata and captions fuzz targets: a few tiny JPEGs with
# EXIF as cameras write it (libvips and exiftool), a progressive one, a truncated one, one whose
# first directory holds a tag twice (written byte by byte), and captions as catalogues write
# them: sidecar packets, IPTC records and photos with XMP, IPTC and Windows' EXIF texts; and for
# the photo target a tiny photo of every other format, each also truncated, with a size that
# its pixels do not have, and declaring 100,000 x 100,000 pixels. The results are committed;
# run this only to remake them. Needs libvips-tools, libheif-examples, libjxl-tools, python3
# and libimage-exiftool-perl.
set -euo pipefail
cd "$(dirname "$0")"
J=seeds/jpeg
M=seeds/metadata
C=seeds/captions
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
mkdir -p "$J" "$M" "$C"

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
# Captions: sidecar packet, IPTC record and photo head, cut apart by the line "--8<--".
cut='\n--8<--\n'
sidecar() {  # sidecar TITLE RATING
  printf '<?xpacket begin="\xef\xbb\xbf" id="W5M0MpCehiHzreSzNTczkc9d"?>\n'
  printf '<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">'
  printf '<rdf:Description rdf:about="" xmlns:dc="http://purl.org/dc/elements/1.1/" '
  printf 'xmlns:xmp="http://ns.adobe.com/xap/1.0/" xmlns:photoshop="http://ns.adobe.com/photoshop/1.0/" '
  printf 'xmp:Rating="%s" photoshop:City="Z\xc3\xbcrich" photoshop:Country="Schweiz">' "$2"
  printf '<dc:title><rdf:Alt><rdf:li xml:lang="x-default">%s</rdf:li>' "$1"
  printf '<rdf:li xml:lang="de-DE">Titel</rdf:li></rdf:Alt></dc:title>'
  printf '<dc:subject><rdf:Bag><rdf:li>See</rdf:li><rdf:li>Berg\x01</rdf:li></rdf:Bag></dc:subject>'
  printf '<dc:creator><rdf:Seq><rdf:li>Anna</rdf:li></rdf:Seq></dc:creator>'
  printf '</rdf:Description></rdf:RDF></x:xmpmeta>\n<?xpacket end="w"?>'
}
dataset() {  # dataset NUMBER TEXT: one IPTC dataset of record 2
  local length=${#2}
  printf '\x1c\x02'"$(printf '\\x%02x' "$1")"'\x00'"$(printf '\\x%02x' "$length")"
  printf '%s' "$2"
}
iptc() {  # the datasets of a caption, keywords twice, in Latin-1 without a character set
  dataset 5 "Hafen"
  dataset 120 "Boote im Hafen"
  dataset 25 "Boot"
  dataset 25 "See"
  dataset 80 "Anna"
  dataset 90 "$(printf 'M\xfcnchen')"
  dataset 101 "Deutschland"
}
cp "$T/plain.jpg" "$T/captions.jpg"
exiftool -q -overwrite_original -XMP-dc:Title="Abend" -XMP-dc:Description="Die Sonne" \
  -XMP-dc:Subject="See" -XMP-dc:Subject="Abend" -XMP-xmp:Rating=4 -XMP-dc:Creator="Anna" \
  -XMP-dc:Rights="CC-BY-4.0" -XMP-photoshop:City="Bern" -IPTC:ObjectName="Titel" \
  -IPTC:Keywords="Boot" -IPTC:City="Basel" -IPTC:Province-State="BS" -XPTitle="Windows-Titel" \
  -XPKeywords="Berg;See" -Artist="Anna" -Copyright="Anna" "$T/captions.jpg"
{ sidecar "Sidecar" 3; printf "$cut"; iptc; printf "$cut"; cat "$T/captions.jpg"; } > "$C/all.txt"
{ sidecar "Abgelehnt" -1; printf "$cut$cut"; } > "$C/sidecar.txt"
{ printf "$cut"; iptc; printf "$cut"; } > "$C/iptc.txt"
{ printf "$cut$cut"; cat "$T/captions.jpg"; } > "$C/photo.txt"
# Hostile captions: a rating out of range, control characters and a terminal's escape sequence
# in a title and keywords, an IPTC record that says UTF-8 but holds Latin-1, one naming a
# character set nobody reads, a sidecar cut inside a tag, and one defining entities within
# entities ("billion laughs").
charset() { printf '\x1c\x01\x5a\x00\x03%s' "$1"; }  # dataset 1:90, three bytes
{
  sidecar "$(printf 'Titel\x07\x1b[31mrot')" 99
  printf "$cut"
  charset "$(printf '\x1b%%G')"
  dataset 25 "$(printf 'M\xfcnchen')"
  dataset 25 "$(printf 'Tab\tBell\x07Esc\x1b[2J')"
  printf "$cut"
} > "$C/hostile.txt"
{ printf "$cut"; charset "$(printf '\x1b-A')"; dataset 5 "$(printf 'Gr\xfc\xdfe')"; printf "$cut"; } > "$C/charset.txt"
{ sidecar "Abgeschnitten" 3 | head -c 300; printf "$cut$cut"; } > "$C/cut-sidecar.txt"
{
  printf '<?xml version="1.0"?>\n<!DOCTYPE x:xmpmeta [\n<!ENTITY a "lollollollollollollollollollol">\n'
  previous=a
  for entity in b c d e f g h i j; do
    printf '<!ENTITY %s "%s">\n' "$entity" "$(for _ in 1 2 3 4 5 6 7 8 9 10; do printf '&%s;' "$previous"; done)"
    previous=$entity
  done
  printf ']>\n<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">'
  printf '<rdf:Description rdf:about="" xmlns:dc="http://purl.org/dc/elements/1.1/">'
  printf '<dc:title><rdf:Alt><rdf:li xml:lang="x-default">&j;</rdf:li></rdf:Alt></dc:title>'
  printf '</rdf:Description></rdf:RDF></x:xmpmeta>'
  printf "$cut$cut"
} > "$C/entities.txt"

P=seeds/photo
mkdir -p "$P"
vips copy "$T/c.v" "$T/plain.png"
vips copy "$T/c.v" "$T/plain.tif"
vips webpsave "$T/c.v" "$T/plain.webp" --lossless
vips heifsave "$T/c.v" "$T/plain.heic" --Q 30
vips heifsave "$T/c.v" "$T/plain.avif" --Q 30 --compression av1
cjxl -q 50 "$T/plain.png" "$T/plain.jxl" 2>/dev/null
vips bandjoin_const "$T/c.v" "$T/alpha.v" 128
vips pngsave "$T/alpha.v" "$T/alpha.png"
for f in png tif webp heic avif jxl; do
  cp "$T/plain.$f" "$P/plain.$f"
  head -c $(( $(stat -c %s "$T/plain.$f") / 2 )) "$T/plain.$f" > "$P/truncated.$f"
done
cp "$T/alpha.png" "$P/alpha.png"
# The declared sizes changed where each format keeps them: wrong (larger than the pixels) and
# huge (100,000 x 100,000).
python3 - "$T" "$P" <<'PY'
import struct, sys
t, p = sys.argv[1], sys.argv[2]
def patch(name, out, edits):
    data = bytearray(open(f"{t}/{name}", "rb").read())
    for at, value in edits(data):
        data[at:at + len(value)] = value
    open(f"{p}/{out}", "wb").write(bytes(data))
for size, tag in ((64, "wrong"), (100000, "huge")):
    patch("plain.png", f"{tag}.png", lambda d: [(16, struct.pack(">II", size, size))])
    patch("plain.heic", f"{tag}.heic", lambda d: [(i + 8, struct.pack(">II", size, size))
                                                  for i in range(len(d)) if d[i:i + 4] == b"ispe"])
    patch("plain.avif", f"{tag}.avif", lambda d: [(i + 8, struct.pack(">II", size, size))
                                                  for i in range(len(d)) if d[i:i + 4] == b"ispe"])
    # TIFF: the values of ImageWidth (256) and ImageLength (257) in the first directory.
    def tiff(d):
        ifd = struct.unpack_from("<I", d, 4)[0]
        edits = []
        for e in range(struct.unpack_from("<H", d, ifd)[0]):
            at = ifd + 2 + 12 * e
            tag_id, kind = struct.unpack_from("<HH", d, at)
            if tag_id in (256, 257):
                edits.append((at + 2, struct.pack("<HII", 4, 1, size)))
        return edits
    patch("plain.tif", f"{tag}.tif", tiff)
    # WebP: a lossless frame's 14-bit width and height minus one.
    bits = (min(size, 16384) - 1) | ((min(size, 16384) - 1) << 14)
    patch("plain.webp", f"{tag}.webp", lambda d: [(21, struct.pack("<I", bits | (struct.unpack_from("<I", d, 21)[0] & 0xF0000000)))])
PY
ls -l "$J" "$M" "$C" "$P"
