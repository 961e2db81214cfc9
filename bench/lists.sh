#!/usr/bin/env bash
# Peak memory of vistrel-cli on image list files of different shapes, next to their size.
#
# Usage: bench/lists.sh
# Writes list files of about 1 MB or more and runs vistrel-cli generate on each with two skins
# without image variants (the photos need not exist), under /usr/bin/time: "eine", one page that
# lists every image, and "bild", a page per image as the shipped skins have. Prints, per list and
# skin, its size, the peak memory (maximum resident set) above the program's base (the same run
# with a list of one image), and the ratio of the two. Target: the peak stays under 20 times the
# file's size plus the base. The pages go below $TMPDIR (default /tmp); a hundred thousand pages
# take the file system a while, TMPDIR=/dev/shm is quicker.
#   long-names    5 property names of 150,000 characters and 12,000 short lines
#   many-names    20 names of 4,000 characters and short lines
#   ordinary      100,000 records with five short properties each
#   empty-fields  1,000 one-letter names and lines of empty fields (the densest list there is)
# and, for what one image costs however short its line: tiny-lines, 70,000 lines of 23 bytes
# under 5 names of 20,000 characters, printed as bytes per record.
set -euo pipefail
source "$(dirname "$0")/common.sh"
install_packages time
bench_build

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
# skin NAME NEWFILENAME TEMPLATE: a skin without variants and with one template.
skin() {
  local dir=$WORK/skin-$1
  mkdir -p "$dir"
  printf '[General]\nSkinName=Liste\n[CSV]\nHTMLPatterns=p.csv\nImageModification=v.csv\nRequiredVars=r.csv\n' >"$dir/s.vsk"
  printf '"NAME";"DESCRIPTION";"DEFAULTMAXWIDTH";"DEFAULTMAXHEIGHT";"NEWNAME";\r\n' >"$dir/v.csv"
  printf '"VARIABLENAME";"DESCRIPTION";"TYPE";"DEFAULTVALUE";\r\n' >"$dir/r.csv"
  printf '"FILENAME";"NAME";"NEWFILENAME";\r\n"t.tpl";"%s";"%s";\r\n' "$1" "$2" >"$dir/p.csv"
  printf '%s' "$3" >"$dir/t.tpl"
}
skin eine alle.html $'[VTL] NEWSECTION NUMREPEAT:0\n%FNAME_NO_PATH%\n[VTL] ENDSECTION\n'
skin bild 'bild_%old%.html' $'<p>%FNAME_NO_PATH%, Bild %IMG_NUMBER% von %NUM_RECORDS%</p>\n'

# header NAMES LENGTH: the fixed columns and NAMES property names of LENGTH letters each.
header() {
  awk -v n="$1" -v len="$2" 'BEGIN {
    printf "\"Dateiname\";\"Pfad\";";
    name = ""; for (i = 0; i < len; i++) name = name "N";
    for (i = 1; i <= n; i++) printf "%s%d;", name, i;
    printf "\r\n" }'
}
# rows COUNT NAMES: COUNT lines with NAMES empty properties each.
rows() {
  awk -v count="$1" -v n="$2" 'BEGIN {
    empty = ""; for (i = 1; i <= n; i++) empty = empty ";";
    for (r = 1; r <= count; r++) printf "b%d.jpg;/n/;%s\r\n", r, empty }'
}
{ header 5 150000; rows 12000 5; } >"$WORK/long-names.csv"
{ header 5 20000; rows 70000 5; } >"$WORK/tiny-lines.csv"
{ header 20 4000; rows 30000 20; } >"$WORK/many-names.csv"
{
  printf '"Dateiname";"Pfad";"Titel";"Beschreibung";"Ort";"Datum";"Fotograf";\r\n'
  awk 'BEGIN { for (i = 1; i <= 100000; i++)
    printf "\"bild%06d.jpg\";\"/home/anna/Bilder/2024/Urlaub/\";\"Bild %d\";\"Am See, früh am Morgen\";\"Ort %d\";\"2024-05-%02d\";\"Anna\";\r\n", i, i, i % 97, i % 28 + 1 }'
} >"$WORK/ordinary.csv"
{ header 1000 1; rows 1000 1000; } >"$WORK/empty-fields.csv"
{ header 0 1; rows 1 0; } >"$WORK/base.csv"

# peak SKIN LIST: the maximum resident set in KB of one run.
peak() {
  rm -rf "$WORK/out"
  /usr/bin/time -f '%M' -o "$WORK/time" "$BENCH_BUILD/vistrel-cli" generate \
    --skin "$WORK/skin-$1/s.vsk" --out "$WORK/out" --list "$2" >/dev/null 2>&1 || true
  cat "$WORK/time"
}
base=$(peak bild "$WORK/base.csv")
printf 'base (a list of one image): %d MB\n' $((base / 1024))
for list in long-names many-names ordinary empty-fields tiny-lines; do
  file=$WORK/$list.csv
  bytes=$(stat -c %s "$file")
  for skin in eine bild; do
    kb=$(peak $skin "$file")
    above=$(((kb - base) * 1024))
    if [ $list = tiny-lines ]; then
      what=$(printf '%5d bytes per record' $((above / 70000)))
    else
      what=$(printf '%5.1f x the file (target < 20)' "$(echo "$above / $bytes" | bc -l)")
    fi
    printf '%-13s %-5s %9d bytes  peak %5d MB  above base %5d MB  %s\n' \
      "$list" $skin "$bytes" $((kb / 1024)) $((above / 1048576)) "$what"
  done
done
