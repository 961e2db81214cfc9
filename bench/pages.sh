#!/usr/bin/env bash
# Time to write the pages of a gallery for many images.
#
# Usage: [PHOTO=FILE] bench/pages.sh [--against OTHER_VISTREL_CLI] [COUNTS...]
#        (default counts: 10000 20000)
# For each count N it writes an image list of N records (the images need not exist; each record
# has five properties) and runs vistrel-cli generate with a skin without image variants, once
# per template kind:
#   bild    one page per image (with neighbour links, conditions and metadata placeholders)
#   seiten  pages of 20 images in rows of 4
#   eine    one page with all images
# and once with no template at all, to take the time of loading the list out. Prints the
# seconds of page generation per kind and N. Target: under 2 s for 10,000 images, linear growth.
# With PHOTO set, every record names a photo: N hard links to FILE (with its sidecar FILE.xmp
# when there is one), so loading the list reads N photos' metadata and captions, and the pages
# show them (the template "bild" prints the photo data and captions). The list loading time is
# then worth comparing too. The pages go below $TMPDIR (default /tmp). Creating ten thousand files costs the file system
# more than writing them costs Vistrel, and on ext4 shortly after many files were deleted that
# cost swings widely; TMPDIR=/dev/shm measures the program itself.
# With --against, every run is made with the other program as well, right after this one's, so
# both are measured under the same load (this one is printed first). At the end, the growth
# from the smallest count to each larger one is printed per kind and program, against linear.
set -euo pipefail
source "$(dirname "$0")/common.sh"
install_packages bc time
OTHER=
if [ "${1:-}" = --against ]; then
  OTHER=$2
  shift 2
fi
COUNTS=("$@")
[ ${#COUNTS[@]} -gt 0 ] || COUNTS=(10000 20000)
bench_build

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
skin() {  # skin NAME TEMPLATE-FILE NEWFILENAME
  local dir=$WORK/skin-$1
  mkdir -p "$dir"
  printf '[General]\nSkinName=%s\n[CSV]\nHTMLPatterns=p.csv\nImageModification=v.csv\nRequiredVars=r.csv\n' "$1" > "$dir/s.vsk"
  printf '"NAME";"DESCRIPTION";"DEFAULTMAXWIDTH";"DEFAULTMAXHEIGHT";"NEWNAME";\r\n' > "$dir/v.csv"
  printf '"VARIABLENAME";"DESCRIPTION";"TYPE";"DEFAULTVALUE";\r\n"TITEL";"Titel";"TEXT";"Bench";\r\n' > "$dir/r.csv"
  if [ -n "$2" ]; then
    printf '"FILENAME";"NAME";"NEWFILENAME";\r\n"t.tpl";"seite";"%s";\r\n' "$3" > "$dir/p.csv"
    cp "$2" "$dir/t.tpl"
  else
    printf '"FILENAME";"NAME";"NEWFILENAME";\r\n' > "$dir/p.csv"
  fi
  echo "$dir/s.vsk"
}
cat > "$WORK/bild.tpl" <<'TPL'
<html><head><title>%TITEL% - %FNAME_NO_PATH%</title></head><body>
<h1>%Beschreibung%</h1>
<p><!--[VTL] CONDITION(ISFIRSTIMAGE=FALSE)--><a href="%PREVIOUSRECORD_SEITE%">zurück</a><!--[VTL] END CONDITION-->
<!--[VTL] CONDITION(ISLASTIMAGE=FALSE)--><a href="%NEXTRECORD_SEITE%">weiter</a><!--[VTL] END CONDITION--></p>
<p>Bild %IMG_INDEX% von %NUM_RECORDS%, %JPGMETA:Width% x %JPGMETA:Height%</p>
<p>%EXIF:CAMERA% %EXIF:DATE% %META:TITLE% %META:KEYWORDS% %META:CREATOR%</p>
<p>%Ort%, %Datum%, %Fotograf%, %Notiz%</p>
<!--[VTL] CONDITION(DoesExist(%Ort%))--><p>Ort: %Ort%</p><!--[VTL] END CONDITION-->
</body></html>
TPL
cat > "$WORK/seiten.tpl" <<'TPL'
<html><head><title>%TITEL% %PATTERN_INDEX%/%NUM_PATTERNPAGES%</title></head><body><table>
<!--[VTL] NEWSECTION NAME:zeile NUMREPEAT:5 -->
<tr>
<!--[VTL] NEWSECTION NAME:bild NUMREPEAT:4 -->
<td><a href="%FNAME%">%FNAME_NO_PATH%</a> %Beschreibung%<!--[VTL] CONDITION(IMGINDEXISEVEN)--> *<!--[VTL] END CONDITION--></td>
<!--[VTL] ENDSECTION -->
</tr>
<!--[VTL] ENDSECTION -->
</table><a href="%PREVIOUS_SEITE%">zurück</a> <a href="%NEXT_SEITE%">weiter</a></body></html>
TPL
cat > "$WORK/eine.tpl" <<'TPL'
<html><head><title>%TITEL%</title></head><body><ul>
<!--[VTL] NEWSECTION NAME:bild NUMREPEAT:0 -->
<li>%IMG_INDEX%: %FNAME_NO_PATH% %Beschreibung% (%Ort%)</li>
<!--[VTL] ENDSECTION -->
</ul></body></html>
TPL
none=$(skin leer "" "")
bild=$(skin bild "$WORK/bild.tpl" "")
seiten=$(skin seiten "$WORK/seiten.tpl" "index.html")
eine=$(skin eine "$WORK/eine.tpl" "alle.html")

# run PROGRAM SKIN LIST OUT: prints "wall user system" seconds. Every run writes into a new
# folder; removing the files of the run before would only add the file system's own clean-up
# to the next one.
run() {  # run PROGRAM SKIN LIST OUT
  /usr/bin/time -f '%e %U %S' -o "$WORK/time" \
    "$1" generate --skin "$2" --out "$4" --list "$3" >/dev/null
  cat "$WORK/time"
}
programs=("$BENCH_BUILD/vistrel-cli")
[ -n "$OTHER" ] && programs+=("$OTHER")
names=(this other)
declare -A seconds cpu
printf 'load average: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
for n in "${COUNTS[@]}"; do
  list=$WORK/list-$n.csv
  folder=/nicht/da/
  if [ -n "${PHOTO:-}" ]; then
    folder=$WORK/photos-$n/
    mkdir -p "$folder"
    cp "$PHOTO" "$WORK/photo"  # links need the same file system
    [ ! -f "$PHOTO.xmp" ] || cp "$PHOTO.xmp" "$WORK/photo.xmp"
    for ((i = 1; i <= n; i++)); do
      name=$(printf 'bild%05d.jpg' "$i")
      ln "$WORK/photo" "$folder$name"
      [ ! -f "$WORK/photo.xmp" ] || ln "$WORK/photo.xmp" "$folder$name.xmp"
    done
  fi
  {
    printf '"Dateiname";"Pfad";"Beschreibung";"Ort";"Datum";"Fotograf";"Notiz";\r\n'
    for ((i = 1; i <= n; i++)); do
      printf '"bild%05d.jpg";"%s";"Bild Nummer %d";"Ort %d";"2024-01-01";"Jemand";"";\r\n' "$i" "$folder" "$i" $((i % 97))
    done
  } > "$list"
  for p in "${!programs[@]}"; do
    read -r base base_user base_sys < <(run "${programs[$p]}" "$none" "$list" "$WORK/out-$p-$n-leer")
    base_cpu=$(echo "$base_user + $base_sys" | bc -l)
    for kind in bild seiten eine; do
      out=$WORK/out-$p-$n-$kind
      read -r wall user sys < <(run "${programs[$p]}" "${!kind}" "$list" "$out")
      pages=$(find "$out" -mindepth 1 -maxdepth 1 | wc -l)
      seconds[$p,$kind,$n]=$(echo "$wall - $base" | bc -l)
      cpu[$p,$kind,$n]=$(echo "$user + $sys - $base_cpu" | bc -l)
      printf 'pages: %-5s %6d images, %-6s %6d files: %5.2f s wall, %5.2f s cpu (%.2f s user, %.2f s in the kernel; list loading %.2f s, %.2f s cpu excluded)\n' \
        "${names[$p]}" "$n" "$kind" "$pages" "${seconds[$p,$kind,$n]}" "${cpu[$p,$kind,$n]}" \
        "$user" "$sys" "$base" "$base_cpu"
    done
  done
done
# ratio A B: A / B, or 0 when B is not above 0 (too short to measure).
ratio() { echo "if ($2 > 0) $1 / $2 else 0" | bc -l; }
first=${COUNTS[0]}
for n in "${COUNTS[@]:1}"; do
  for p in "${!programs[@]}"; do
    for kind in bild seiten eine; do
      printf 'growth: %-5s %-6s %d -> %d images: %.2fx time, %.2fx cpu for %.2fx images\n' \
        "${names[$p]}" "$kind" "$first" "$n" \
        "$(ratio "${seconds[$p,$kind,$n]}" "${seconds[$p,$kind,$first]}")" \
        "$(ratio "${cpu[$p,$kind,$n]}" "${cpu[$p,$kind,$first]}")" "$(echo "$n / $first" | bc -l)"
    done
  done
done
printf 'load average: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
