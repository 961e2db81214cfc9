#!/usr/bin/env bash
# Time, bytes and quality of WebP and AVIF copies beside JPEG ones.
#
# Usage: bench/formats.sh [--against OTHER_VISTREL_CLI] [ROUNDS] [SSIM_PHOTOS]
#        (defaults 3 and 12)
# On the 48-photo corpus of make-corpus.sh, in alternating rounds (the best round of each side
# counts; every round starts with an empty variant cache), it times vistrel-cli generate with
# the benchmarks' skin (160x160 at quality 80, 1024x768 at quality 85) three ways:
#   jpeg       the two JPEG variants, as bench/images.sh
#   jpeg+webp  the same and a WebP variant of the same box and quality beside each
#   jpeg+avif  the same and an AVIF variant beside each
# and prints the ratios to the JPEG-only run (targets: WebP at most 1.35, AVIF at most 2.5),
# the bytes of each format's copies, and their mean SSIM (bench/ssim.py) against the same
# copies written as JPEG at quality 100 (4:4:4, near lossless), over the first SSIM_PHOTOS
# photos, so sizes are compared at like quality (target: within 0.005 of the JPEG copies).
# With --against, every round also times the other program's JPEG-only run (today's program,
# say), and the ratios are given against that run as well. BENCH_QUIET=1 as for images.sh.
set -euo pipefail
source "$(dirname "$0")/common.sh"
OTHER=
if [ "${1:-}" = --against ]; then
  OTHER=$2
  shift 2
fi
ROUNDS=${1:-3}
SSIM_PHOTOS=${2:-12}
install_packages libvips-tools bc time python3-numpy
bench_photo_setup

# A copy of the benchmarks' skin whose variant table adds a variant of FORMAT beside each one.
make_skin() {
  local format=$1 folder=$WORK/skin-$1
  cp -r "$BENCH_ROOT/bench/skin" "$folder"
  {
    printf '"NAME";"DESCRIPTION";"DEFAULTMAXWIDTH";"DEFAULTMAXHEIGHT";"NEWNAME";"FORMAT";\r\n'
    printf '"THUMB";"k";"160";"160";"klein_%%old%%";"";\r\n'
    printf '"BIG";"g";"1024";"768";"gross_%%old%%";"";\r\n'
    if [ "$format" != jpeg ]; then
      printf '"THUMB_X";"k";"160";"160";"klein_%%old%%";"%s";\r\n' "$format"
      printf '"BIG_X";"g";"1024";"768";"gross_%%old%%";"%s";\r\n' "$format"
    fi
  } >"$folder/bildvarianten.csv"
  echo "$folder/bench.vsk"
}
declare -A SKINS
for f in jpeg webp avif; do SKINS[$f]=$(make_skin $f); done
QUALITIES=(--quality THUMB=80 --quality BIG=85)
X_QUALITIES=(--quality THUMB_X=80 --quality BIG_X=85)

run() {  # run FORMAT OUT [extra options]; FORMAT "other" is the other program's JPEG-only run
  local format=$1 out=$2 program=$BENCH_BUILD/vistrel-cli; shift 2
  if [ "$format" = other ]; then format=jpeg; program=$OTHER; fi
  local extra=()
  [ "$format" != jpeg ] && extra=("${X_QUALITIES[@]}")
  rm -rf "$out" "$WORK/cache"
  # Options given first win: the first --quality for a variant is the one taken.
  "$program" generate --skin "${SKINS[$format]}" --out "$out" "$@" \
    "${QUALITIES[@]}" "${extra[@]}" "${photos[@]}" >/dev/null
}
seconds() {
  /usr/bin/time -f '%e' -o "$WORK/time" bash -c "$(declare -f run); $(declare -p WORK BENCH_BUILD OTHER photos SKINS QUALITIES X_QUALITIES); run $1 $WORK/out-$1" >/dev/null 2>&1
  cat "$WORK/time"
}

run jpeg "$WORK/out-jpeg"  # warm the page cache
declare -A best=([jpeg]=999999 [webp]=999999 [avif]=999999 [other]=999999)
sides=(jpeg webp avif)
[ -n "$OTHER" ] && sides+=(other)
printf 'load average: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
for ((r = 1; r <= ROUNDS; r++)); do
  line="round $r:"
  for f in "${sides[@]}"; do
    t=$(seconds $f)
    line+=" $f $t s"
    best[$f]=$(echo "if ($t < ${best[$f]}) $t else ${best[$f]}" | bc -l)
  done
  echo "$line"
done
printf 'time: %d photos, %d cores; jpeg %.2f s, jpeg+webp %.2f s (ratio %.2f, target <= 1.35), jpeg+avif %.2f s (ratio %.2f, target <= 2.5)\n' \
  "${#photos[@]}" "$(nproc)" "${best[jpeg]}" "${best[webp]}" "$(echo "${best[webp]} / ${best[jpeg]}" | bc -l)" \
  "${best[avif]}" "$(echo "${best[avif]} / ${best[jpeg]}" | bc -l)"
if [ -n "$OTHER" ]; then
  printf 'against the other program'"'"'s jpeg %.2f s: jpeg %.2f, jpeg+webp %.2f (target <= 1.35), jpeg+avif %.2f (target <= 2.5)\n' \
    "${best[other]}" "$(echo "${best[jpeg]} / ${best[other]}" | bc -l)" \
    "$(echo "${best[webp]} / ${best[other]}" | bc -l)" "$(echo "${best[avif]} / ${best[other]}" | bc -l)"
fi
printf 'load average: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"

# Bytes of each format's copies, by variant.
bytes() { find "$1" -name "$2" -printf '%s\n' | awk '{s += $1} END {printf "%.0f", s / 1024}'; }
for v in klein gross; do
  j=$(bytes "$WORK/out-webp" "${v}_*.jpg")
  w=$(bytes "$WORK/out-webp" "${v}_*.webp")
  a=$(bytes "$WORK/out-avif" "${v}_*.avif")
  printf 'bytes %-6s: jpeg %d KiB, webp %d KiB (%.0f %%), avif %d KiB (%.0f %%)\n' "$v" "$j" "$w" \
    "$(echo "100 * $w / $j" | bc -l)" "$a" "$(echo "100 * $a / $j" | bc -l)"
done

# Quality: each copy against the same copy at JPEG quality 100.
run jpeg "$WORK/ref" --quality THUMB=100 --quality BIG=100
for v in klein gross; do
  declare -A sum=([jpg]=0 [webp]=0 [avif]=0)
  n=0
  for photo in "${photos[@]:0:$SSIM_PHOTOS}"; do
    name=$(basename "${photo%.*}")
    ref=$WORK/ref/${v}_$name.jpg
    for ext in jpg webp avif; do
      dir=$WORK/out-webp
      [ $ext = avif ] && dir=$WORK/out-avif
      s=$("$BENCH_ROOT/bench/ssim.py" "$ref" "$dir/${v}_$name.$ext" 2>/dev/null | cut -d' ' -f1)
      sum[$ext]=$(echo "${sum[$ext]} + $s" | bc -l)
    done
    n=$((n + 1))
  done
  printf 'ssim %-6s (%d photos): jpeg %.4f, webp %.4f, avif %.4f\n' "$v" "$n" \
    "$(echo "${sum[jpg]} / $n" | bc -l)" "$(echo "${sum[webp]} / $n" | bc -l)" "$(echo "${sum[avif]} / $n" | bc -l)"
done
