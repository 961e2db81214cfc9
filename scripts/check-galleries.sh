#!/usr/bin/env bash
# Makes a gallery of the sample photos (samples/bilderliste.csv) with every skin in skins/, and
# one of four sample photos copied under names that mean something in a link or in HTML
# (quotes, "#", "%", "&", "<", umlauts), and checks each one with tools/gallery-check: valid
# HTML, references that stay inside the gallery and reach their files, and no element or
# attribute that the skin's templates do not write (check.mjs, quick); where Chromium is
# installed, also how they answer keys, swipes and clicks (behaviour.mjs), whether each picture
# of the samples' galleries comes in about the size a phone draws it (sizing.mjs), and whether two
# galleries of photos with captions written into them (by exiv2, in a scratch folder), one
# without an image list and one whose list gives a photo a title and description of its own,
# show the list's caption, else the photo's own, in headings, alternative texts, tab titles
# and the viewer (captions.mjs). With --full it also opens
# them in Chromium (measure.mjs: accessibility, layout at phone widths, tap targets, Lighthouse,
# and the weight of each page type's first view on a phone and a wide screen, the median of three
# loads, with a table of all of them at the end) and saves screenshots.
#
# usage: scripts/check-galleries.sh [--full] [--cli PATH] [--out DIR] [--photos PATH]...
#                                   [--lightbox-selector SEL]
#   --cli PATH   vistrel-cli to use (default build/release/vistrel-cli, made by scripts/run.sh)
#   --out DIR    where the galleries go, two folders per skin, SKIN and SKIN-namen
#                (default out/gallery-check);
#                with --full the screenshots and results.json go to DIR/screenshots
#   --photos PATH  also make and check a gallery SKIN-fotos of these photos with every skin:
#                a folder (its JPEG files), a JPEG file or an image list (.csv); may be given
#                more than once, e.g. for the benchmark corpus and its special cases
#   --lightbox-selector SEL   passed on to measure.mjs: what to click to open an in-page viewer
# Installs what is missing: nodejs and npm (and chromium with --full) from Debian, the node
# packages with `npm ci`. The image page to measure and the viewer to open are found from each
# start page (see tools/gallery-check/measure.mjs). Exit status 0 when every gallery was made and passed the checks.
set -euo pipefail

FULL=0
CLI=
OUT=
LIGHTBOX=()
PHOTOS=()
while [ $# -gt 0 ]; do
  case $1 in
    --full) FULL=1 ;;
    --cli) CLI=${2:?--cli needs a path}; shift ;;
    --out) OUT=${2:?--out needs a folder}; shift ;;
    --photos) PHOTOS+=("$(realpath -m -- "${2:?--photos needs a path}")"); shift ;;
    --lightbox-selector) LIGHTBOX=(--lightbox-selector "${2:?--lightbox-selector needs a CSS selector}"); shift ;;
    -h|--help) awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$0"; exit 0 ;;
    *) echo "check-galleries.sh: unknown argument $1 (see --help)" >&2; exit 2 ;;
  esac
  shift
done
# Paths given by the caller are taken from where they called us.
[ -n "$CLI" ] && CLI=$(realpath -m -- "$CLI")
[ -n "$OUT" ] && OUT=$(realpath -m -- "$OUT")

cd "$(dirname "$0")/.."
ROOT=$PWD
source scripts/common.sh
CLI=${CLI:-$ROOT/build/release/vistrel-cli}
OUT=${OUT:-$ROOT/out/gallery-check}
TOOL=$ROOT/tools/gallery-check

if [ ! -x "$CLI" ]; then
  echo "check-galleries.sh: no vistrel-cli at $CLI." >&2
  echo "Run ./scripts/run.sh first (it builds build/release), or name another one with --cli PATH." >&2
  exit 2
fi

CHROMIUM=/usr/bin/chromium
if [ "$FULL" = 1 ] && [ ! -x "$CHROMIUM" ]; then install_packages chromium; fi
install_gallery_check
hold_gallery_check

mkdir -p "$OUT"
# The photos with awkward names, copied into a scratch folder of their own.
NAMES=$OUT/fotos-namen
rm -rf "$NAMES"
mkdir -p "$NAMES"
awkward=()
while IFS='|' read -r sample name; do
  cp samples/"$sample" "$NAMES/$name"
  awkward+=("$NAMES/$name")
done <<'EOF'
gebirge.jpg|x" onmouseover="alert(1).jpg
bach.jpg|Urlaub #3 100%.jpg
hunde.jpg|a&b <c>.jpg
feige.jpg|Ölbild ß.jpg
EOF
# Photos with captions of their own: copies of samples with XMP or IPTC captions, one without.
# Each line: sample, name, where the caption is written, title, description, and the title and
# description the image list gives, which win over the photo's.
TEXTE=$OUT/fotos-texte
rm -rf "$TEXTE"
mkdir -p "$TEXTE"
if ! command -v exiv2 >/dev/null; then install_packages exiv2; fi
printf '"Dateiname";"Pfad";"Titel";"Beschreibung";\r\n' >"$TEXTE/liste.csv"
: >"$TEXTE/eigene.tsv"
: >"$TEXTE/liste.tsv"
while IFS='|' read -r sample name kind title description list_title list_description; do
  cp samples/"$sample" "$TEXTE/$name.jpg"
  case $kind in
    xmp) exiv2 -M "set Xmp.dc.title lang=x-default $title" \
           -M "set Xmp.dc.description lang=x-default $description" "$TEXTE/$name.jpg" ;;
    iptc) exiv2 -M "set Iptc.Application2.ObjectName $title" \
            -M "set Iptc.Application2.Caption $description" "$TEXTE/$name.jpg" ;;
  esac
  printf '"%s.jpg";"%s/";"%s";"%s";\r\n' "$name" "$TEXTE" "$list_title" "$list_description" \
    >>"$TEXTE/liste.csv"
  printf '%s\t%s\t%s\n' "$name" "$title" "$description" >>"$TEXTE/eigene.tsv"
  if [ -n "$list_title" ]; then
    printf '%s\t%s\t%s\t%s\n' "$name" "$list_title" "$list_description" "$title" >>"$TEXTE/liste.tsv"
  else
    printf '%s\t%s\t%s\n' "$name" "$title" "$description" >>"$TEXTE/liste.tsv"
  fi
done <<'EOF'
gebirge.jpg|gipfel|xmp|Gipfel & "Nebel" über <Almen>|Der Weg führt hinauf zu den Felsen.||
bach.jpg|moosbach|iptc|Bach im Moos|Wasser springt über die Stufen.||
hunde.jpg|ohnetext|none|||
feige.jpg|feigenbild|xmp|Feige aus dem Foto|Beschreibung aus dem Foto.|Feige aus der Liste|Beschreibung aus der Liste.
EOF
checks=()
failed=0
shopt -s nullglob
skins=(skins/*/*.vsk)
if [ ${#skins[@]} -eq 0 ]; then
  echo "check-galleries.sh: no skins found under skins/" >&2
  exit 1
fi
# The photos of --photos as arguments of vistrel-cli.
extra=()
for p in "${PHOTOS[@]}"; do
  if [[ $p == *.[cC][sS][vV] ]]; then extra+=(--list "$p"); else extra+=("$p"); fi
done
kinds=(samples names texte texte-liste)
[ ${#extra[@]} -gt 0 ] && kinds+=(fotos)
galleries=()
captioned=()
measured=()
sized=()
for skin in "${skins[@]}"; do
  name=$(basename "$(dirname "$skin")")
  made=()
  captions=()
  for kind in "${kinds[@]}"; do
    case $kind in
      samples) dest=$OUT/$name; photos=(--list samples/bilderliste.csv) ;;
      names) dest=$OUT/$name-namen; photos=("${awkward[@]}") ;;
      fotos) dest=$OUT/$name-fotos; photos=("${extra[@]}") ;;
      texte) dest=$OUT/$name-texte; photos=("$TEXTE"/*.jpg) ;;
      texte-liste) dest=$OUT/$name-texte-liste; photos=(--list "$TEXTE/liste.csv") ;;
    esac
    rm -rf "$dest"
    echo "== $name: making the gallery in $dest"
    if ! "$CLI" generate --skin "$skin" --out "$dest" --copy-originals "${photos[@]}"; then
      echo "check-galleries.sh: vistrel-cli failed for skin $name ($kind)" >&2
      failed=1
    elif [[ $kind == texte* ]]; then
      # Checked for their markup and captions; the browser checks gain nothing from them.
      captions+=("$dest")
      captioned+=("$kind" "$dest")
    else
      made+=("$dest")
      if [ "$kind" = samples ]; then sized+=("$dest"); fi
    fi
  done
  if [ $((${#made[@]} + ${#captions[@]})) -gt 0 ]; then
    checks+=(--skin "$skin" "${made[@]}" "${captions[@]}")
  fi
  if [ ${#made[@]} -gt 0 ]; then
    measured+=(--skin "$skin" "${made[@]}")
    galleries+=("${made[@]}")
  fi
done
rm -rf "$NAMES"

if [ ${#checks[@]} -gt 0 ]; then
  echo "== checking HTML, references and markup"
  node "$TOOL/check.mjs" "${checks[@]}" || failed=1
  if [ -x "$CHROMIUM" ]; then
    echo "== keys, swipes and the in-page viewer in Chromium"
    [ ${#galleries[@]} -eq 0 ] || node "$TOOL/behaviour.mjs" --chromium "$CHROMIUM" "${galleries[@]}" || failed=1
    echo "== the size of each picture on Lighthouse's phone"
    [ ${#sized[@]} -eq 0 ] || node "$TOOL/sizing.mjs" --chromium "$CHROMIUM" "${sized[@]}" || failed=1
    echo "== captions of the photos and of the image list"
    for ((i = 0; i < ${#captioned[@]}; i += 2)); do
      table=$TEXTE/eigene.tsv
      [ "${captioned[i]}" = texte-liste ] && table=$TEXTE/liste.tsv
      node "$TOOL/captions.mjs" --chromium "$CHROMIUM" --expect "$table" "${captioned[i + 1]}" || failed=1
    done
  else
    echo "== keys, swipes and the in-page viewer: skipped, no Chromium at $CHROMIUM"
  fi
  if [ "$FULL" = 1 ] && [ ${#measured[@]} -gt 0 ]; then
    echo "== measuring in Chromium (this takes a while)"
    CHROME_PATH=$CHROMIUM node "$TOOL/measure.mjs" --out "$OUT/screenshots" "${LIGHTBOX[@]}" "${measured[@]}" || failed=1
  fi
fi
exit $failed
