#!/usr/bin/env bash
# Makes everything in samples/: fourteen real photographs taken from Debian's wallpaper packages
# (pinned versions below; authors and licences are listed in samples/README.md), scaled down,
# some cropped, one stored sideways and one upside down as cameras write them, with camera-like
# EXIF data written by exiftool; three details cut from them as photographers bring them too (a
# phone's HEIC written by heif-enc, an editor's PNG, and a JPEG whose title, description,
# keywords, rating and place a catalogue wrote into its XMP); and the image list
# samples/bilderliste.csv. The results are committed; run this only to remake them. Needs
# apt-get (the packages are fetched with `apt-get download`, not installed), libvips-tools,
# libimage-exiftool-perl and libheif-examples.
#
# Usage: scripts/make-samples.sh [--derived]
#   --derived  remake only the three details and the list from the photos in samples/
#
# The downloaded packages are kept in $SAMPLES_CACHE (default /tmp/vistrel-samples-cache) so a
# second run needs no network.
set -euo pipefail
cd "$(dirname "$0")/.."
OUT=samples
CACHE=${SAMPLES_CACHE:-/tmp/vistrel-samples-cache}
PACKAGES=(
  lomiri-wallpapers-16.04=20.04.0-2
  lomiri-wallpapers-20.04=20.04.0-2
  mate-backgrounds=1.26.0-1
)

DERIVED_ONLY=false
[ "${1:-}" = --derived ] && DERIVED_ONLY=true

for tool in vips exiftool heif-enc dpkg apt-get; do
  command -v "$tool" >/dev/null || { echo "make-samples.sh: $tool is missing (apt-get install libvips-tools libimage-exiftool-perl libheif-examples)" >&2; exit 1; }
done

T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
mkdir -p "$CACHE" "$OUT"

if ! $DERIVED_ONLY; then

# Fetch and unpack the pinned packages.
for pkg in "${PACKAGES[@]}"; do
  name=${pkg%%=*} version=${pkg#*=}
  deb=$(find "$CACHE" -maxdepth 1 -name "${name}_${version//:/%3a}_*.deb" | head -n 1)
  if [ -z "$deb" ]; then
    # apt-get download writes into the current folder; _apt may not write there, which only
    # costs a warning.
    if ! (cd "$CACHE" && apt-get download "$pkg"); then
      echo "make-samples.sh: cannot download $pkg (run apt-get update; if Debian no longer serves" \
        "this version, pick the current one and check its copyright file again)" >&2
      exit 1
    fi
    deb=$(find "$CACHE" -maxdepth 1 -name "${name}_${version//:/%3a}_*.deb" | head -n 1)
  fi
  dpkg -x "$deb" "$T/root"
done
L16=$T/root/usr/share/backgrounds
MATE=$T/root/usr/share/backgrounds/mate/nature

# photo NAME SOURCE LONG_SIDE STORED [LEFT TOP WIDTH HEIGHT]
# Crops SOURCE if a box is given, scales it so its long side is LONG_SIDE and writes
# samples/NAME without any metadata. STORED is how the pixels lie in the file: "upright",
# "sideways" (to be shown with EXIF orientation 6) or "upsidedown" (orientation 3).
photo() {
  local name=$1 src=$2 long=$3 stored=$4
  shift 4
  local in=$src
  if [ $# -eq 4 ]; then
    vips crop "$src" "$T/crop.v" "$@"
    in=$T/crop.v
  fi
  vips thumbnail "$in" "$T/small.v" "$long" --height "$long" --size down
  case $stored in
    upright) cp "$T/small.v" "$T/stored.v" ;;
    sideways) vips rot "$T/small.v" "$T/stored.v" d270 ;;   # orientation 6 turns it back by 90° clockwise
    upsidedown) vips rot "$T/small.v" "$T/stored.v" d180 ;;
    *) echo "photo: unknown STORED value $stored" >&2; exit 1 ;;
  esac
  vips jpegsave "$T/stored.v" "$OUT/$name" --Q 82 --strip --optimize-coding
  rm -f "$T"/*.v
}

rm -f "$OUT"/*.jpg
photo gebirge.jpg      "$L16/picosdeeuropa_by_Aitzol_Berasategi.jpg" 1600 upright
photo herbst.jpg       "$L16/aitzgorri_by_Aitzol_Berasategi.jpg" 1600 upright
photo bach.jpg         "$L16/life_by_Aitzol_Berasategi.jpg" 1600 upright
photo hunde.jpg        "$L16/friends_by_Aitzol_Berasategi.jpg" 1600 sideways
photo pusteblume.jpg   "$L16/seeding_by_Clements_Engelhardt.jpg" 1600 upright
photo kleiber.jpg      "$L16/Kleiber_by_Lukas_Baubkus.jpg" 1500 upright 1680 0 2260 3391
photo feige.jpg        "$L16/Picture_0B_by_freespace.jpg" 1400 upright
photo pinsel.jpg       "$L16/Picture_1A_by_freespace.jpg" 1200 upright
photo trommel.jpg      "$L16/Wine_by_Jakkub_Mede.jpg" 1500 upright
photo bruecke.jpg      "$L16/Bridge_by_Sander_Klootwijk.jpg" 2000 upright
photo duene.jpg        "$MATE/Dune.jpg" 1600 upright
photo marienkaefer.jpg "$MATE/LadyBird.jpg" 1400 upright
photo gewitter.jpg     "$MATE/Storm.jpg" 1600 upsidedown
photo abendsonne.jpg   "$L16/sunset_by_Aitzol_Berasategi.jpg" 1600 upright
fi

# exif NAME ORIENTATION ARTIST LICENCE MAKE MODEL DATE EXPOSURE FNUMBER ISO FOCAL [TAG=VALUE...]
# The camera data are made up (the wallpapers came without usable EXIF) but look like what
# those cameras write.
exif() {
  local name=$1 orientation=$2 artist=$3 licence=$4 make=$5 model=$6 date=$7
  local exposure=$8 fnumber=$9 iso=${10} focal=${11}
  shift 11
  local extra=()
  for tag in "$@"; do extra+=("-$tag"); done
  exiftool -q -overwrite_original \
    -Orientation#="$orientation" -Make="$make" -Model="$model" -ColorSpace#=1 \
    "-ExifImageWidth<ImageWidth" "-ExifImageHeight<ImageHeight" \
    -DateTimeOriginal="$date" -CreateDate="$date" -ModifyDate="$date" \
    -ExposureTime="$exposure" -FNumber="$fnumber" -ISO="$iso" -FocalLength="$focal" \
    -Artist="$artist" -Copyright="$licence" "${extra[@]}" "$OUT/$name"
}
# gps LATITUDE LONGITUDE : the tags for a position in signed degrees
gps() {
  local lat=$1 lon=$2 latref=N lonref=E
  [ "${lat#-}" != "$lat" ] && latref=S
  [ "${lon#-}" != "$lon" ] && lonref=W
  echo "GPSLatitude=${lat#-}" "GPSLatitudeRef=$latref" "GPSLongitude=${lon#-}" "GPSLongitudeRef=$lonref"
}

AITZOL="Aitzol Berasategi"
if ! $DERIVED_ONLY; then
# shellcheck disable=SC2046  # gps prints several words on purpose
{
exif gebirge.jpg 1 "$AITZOL" "CC BY 4.0" "Canon" "Canon EOS 550D" "2018:06:14 11:42:07" 1/320 8 100 24 \
  "LensModel=EF-S18-55mm f/3.5-5.6 IS II" "FocalLengthIn35mmFormat=38" $(gps 43.1962 -4.8511) "GPSAltitude=1820" "GPSAltitudeRef=0"
exif herbst.jpg 1 "$AITZOL" "CC BY 4.0" "NIKON CORPORATION" "NIKON D5100" "2017:10:29 15:08:51" 1/250 9 200 35 \
  "LensModel=AF-S DX NIKKOR 18-55mm f/3.5-5.6G VR"
exif bach.jpg 1 "$AITZOL" "CC BY 4.0" "FUJIFILM" "X-T20" "2018:04:02 10:15:33" 1/8 16 200 18 \
  "LensModel=XF18-55mmF2.8-4 R LM OIS" "FocalLengthIn35mmFormat=27"
exif hunde.jpg 6 "$AITZOL" "CC BY 4.0" "Apple" "iPhone 11" "2019:12:23 13:51:02" 1/120 1.8 64 4.25 \
  "LensModel=iPhone 11 back dual wide camera 4.25mm f/1.8" "FocalLengthIn35mmFormat=26" \
  $(gps 43.3183 -1.9812)
exif pusteblume.jpg 1 "Clemens Engelhardt" "CC0 1.0" "FUJIFILM" "X-T20" "2018:05:06 19:47:12" 1/1000 2.8 400 55 \
  "LensModel=XF18-55mmF2.8-4 R LM OIS"
exif kleiber.jpg 1 "Lukas Baubkus" "CC BY-SA 3.0" "NIKON CORPORATION" "NIKON D7500" "2021:03:17 09:26:40" 1/800 5.6 800 300 \
  "LensModel=AF-P DX NIKKOR 70-300mm f/4.5-6.3G ED VR" "FocalLengthIn35mmFormat=450"
exif feige.jpg 1 "Trevor \"Freespace\"" "CC BY 4.0" "Panasonic" "DMC-GX80" "2018:09:08 12:03:55" 1/160 5.6 200 20
exif pinsel.jpg 1 "Trevor \"Freespace\"" "CC BY 4.0" "Canon" "Canon EOS 80D" "2018:02:11 16:30:18" 1/60 4 800 50 \
  "LensModel=EF50mm f/1.8 STM"
exif trommel.jpg 1 "Jakub Mede" "CC BY 4.0" "SONY" "ILCE-6000" "2018:01:20 20:12:09" 1/50 3.5 1600 16 \
  "LensModel=E PZ 16-50mm F3.5-5.6 OSS" "FocalLengthIn35mmFormat=24"
exif bruecke.jpg 1 "Sander Klootwijk" "CC BY-SA 4.0" "samsung" "SM-G991B" "2018:07:30 14:22:45" 1/2000 1.8 50 5.4 \
  "FocalLengthIn35mmFormat=26"
exif duene.jpg 1 "Marco Cogoni" "GPL-2.0-or-later" "Canon" "Canon EOS 550D" "2007:08:19 17:05:26" 1/400 11 100 55 \
  $(gps -34.3568 18.4740)
exif marienkaefer.jpg 1 "Charles Barbin" "GPL-2.0-or-later" "NIKON CORPORATION" "NIKON D5100" "2008:05:24 10:41:13" 1/200 5.6 400 40 \
  "LensModel=AF-S DX Micro NIKKOR 40mm f/2.8G" "FocalLengthIn35mmFormat=60"
exif gewitter.jpg 3 "Sergey Nazarov" "GPL-2.0-or-later" "Google" "Pixel 7" "2008:07:12 18:36:02" 1/500 1.9 50 6.81 \
  "FocalLengthIn35mmFormat=25"
exif abendsonne.jpg 1 "$AITZOL" "CC BY 4.0" "Apple" "iPhone 11" "2018:08:26 21:02:37" 1/4000 1.8 32 4.25 \
  "LensModel=iPhone 11 back dual wide camera 4.25mm f/1.8" "FocalLengthIn35mmFormat=26" \
  $(gps 42.9581 -2.3340)
}
fi

# detail NAME SOURCE LEFT TOP WIDTH HEIGHT: the box of the sample SOURCE as a JPEG in $T/NAME,
# with SOURCE's EXIF data and the sizes in them made right.
detail() {
  local name=$1 src=$2
  shift 2
  vips crop "$OUT/$src" "$T/$name" "$@"
  exiftool -q -overwrite_original "-ExifImageWidth<ImageWidth" "-ExifImageHeight<ImageHeight" "$T/$name"
}
rm -f "$OUT/gipfel.heic" "$OUT/borsten.png" "$OUT/buchenwald.jpg"
# A phone's photo: HEIC with its EXIF data, as heif-enc takes them over from the JPEG.
detail gipfel.jpg gebirge.jpg 760 0 840 560
heif-enc -q 55 -o "$OUT/gipfel.heic" "$T/gipfel.jpg" >/dev/null
# An editor's export: a PNG without metadata.
# Large enough that every skin's largest copies are smaller than the photo, as they are of a
# camera's photo.
detail borsten.jpg pinsel.jpg 0 0 640 864
vips pngsave "$T/borsten.jpg" "$OUT/borsten.png" --compression 9 --strip
# A catalogue's photo: title, description, keywords, rating and place in its XMP, written by
# exiftool. Its row in the list leaves Titel and Beschreibung empty, so a gallery shows these.
detail buchenwald.jpg herbst.jpg 0 240 900 600
exiftool -q -overwrite_original -XMP-dc:Title="Buchen im Oktober" \
  -XMP-dc:Description="Der Buchenwald am Fuß des Aitzgorri leuchtet in Herbstfarben." \
  -XMP-dc:Subject="Herbst" -XMP-dc:Subject="Buchen" -XMP-dc:Subject="Wald" -XMP-xmp:Rating=4 \
  -XMP-dc:Creator="$AITZOL" -XMP-dc:Rights="CC BY 4.0" -XMP-photoshop:City="Zegama" \
  -XMP-photoshop:State="Gipuzkoa" -XMP-photoshop:Country="Spanien" "$T/buchenwald.jpg"
cp "$T/buchenwald.jpg" "$OUT/buchenwald.jpg"

# The image list in Vistrel's list dialect: every field quoted (quotes doubled), each field ended
# by ";", CR LF line ends, UTF-8 without BOM.
LIST=$OUT/bilderliste.csv
row() {
  local line=
  for field in "$@"; do line+="\"${field//\"/\"\"}\";"; done
  printf '%s\r\n' "$line"
}
{
row Dateiname Pfad Titel Beschreibung
row gebirge.jpg samples/ "Picos de Europa" "Ein Wanderweg führt über die Almwiese auf die verschneiten Gipfel zu."
row herbst.jpg samples/ "Herbst am Aitzgorri" "Buchenwälder in Herbstfarben liegen unter einem kahlen Kalkgebirge."
row bach.jpg samples/ "Bach im Wald" "Das Wasser stürzt über moosige Kalksteinstufen talwärts."
row hunde.jpg samples/ "Zwei neugierige Nachbarn" "Zwei Cockerspaniel schauen aus einer Holzhütte heraus."
row pusteblume.jpg samples/ "Pusteblumen" "Löwenzahnsamen leuchten im Gegenlicht der tief stehenden Sonne."
row kleiber.jpg samples/ "Kleiber" "Ein Kleiber klettert kopfüber einen Baumstamm hinunter."
row feige.jpg samples/ "Feige & Schale \"in Rot\" <frisch>" "Eine halbe Feige liegt in einer roten Schale auf grauem Stein."
row pinsel.jpg samples/ "" "Ausgewaschene Pinsel in allen Farben stehen dicht gedrängt im Glas."
row trommel.jpg samples/ "Trommel und Wein" "Eine Djembe lehnt vor einem Weinregal aus alten Paletten."
row bruecke.jpg samples/ "Seile über der Bucht" "Die Tragseile einer Brücke spannen sich über das weite Watt."
row duene.jpg samples/ "Düne am Meer" "Strandhafer wiegt sich im Wind vor dem tiefblauen Meer."
row marienkaefer.jpg samples/ "Marienkäfer" "Ein Marienkäfer klettert an einem Grashalm zwischen Vergissmeinnicht."
row gewitter.jpg samples/ "Gewitterfront" "Dunkle Wolken ziehen auf; die Landstraße ist leer."
row abendsonne.jpg samples/ "Abendsonne" "Die Sonne sinkt hinter die Hügel, vorn steht eine gläserne Schale."
row gipfel.heic samples/ "Schnee am Gipfel" "Die Kalkgipfel der Picos de Europa tragen noch Schnee."
row borsten.png samples/ "Borsten" "Blau, Grün und Pink: Pinsel von nahem."
row buchenwald.jpg samples/ "" ""
} > "$LIST"

ls -l "$OUT"
du -sh "$OUT"
