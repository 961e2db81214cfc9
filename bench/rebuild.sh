#!/usr/bin/env bash
# Making a gallery again: what the variant cache saves.
#
# Usage: bench/rebuild.sh [ROUNDS]      (default 4; the best time of each run counts)
# On the 48-photo corpus of make-corpus.sh, with the benchmarks' skin and the two variants of
# bench/images.sh (160x160 at quality 80, 1024x768 at quality 85), each round makes:
#   without  the gallery with --no-cache (the time to beat)
#   first    the same with an empty cache
#   second   the same again, after emptying the output folder
#   title    the same with another title value
#   thumbs   the same with thumbnails of 200x200
#   thumbs-without  the last one with --no-cache (to compare bytes)
# and prints each run's best wall time, the ratios to the first run, the first run's cost
# against the run without the cache, and whether the images written are byte-identical with
# and without the cache.
# Targets: second and title at most 0.08x first; thumbs at most 0.75x first; first at most
# 1.05x without; every image identical.
set -euo pipefail
source "$(dirname "$0")/common.sh"
ROUNDS=${1:-4}
install_packages bc time
bench_photo_setup
THUMBS=(--size THUMB=200x200 --quality THUMB=80 --size BIG=1024x768 --quality BIG=85)

# run NAME [OPTIONS...]: one gallery into $WORK/NAME (emptied first); prints "seconds peak_kb
# cpu_seconds".
run() {
  local name=$1
  shift
  rm -rf "${WORK:?}/$name"
  /usr/bin/time -f '%e %M %U %S' -o "$WORK/time" "$BENCH_BUILD/vistrel-cli" generate --skin "$SKIN" \
    --out "$WORK/$name" "$@" "${photos[@]}" >"$WORK/$name.log" 2>&1 ||
    { cat "$WORK/$name.log" >&2; exit 1; }
  local seconds kb user system
  read -r seconds kb user system <"$WORK/time"
  echo "$seconds $kb $(echo "$user + $system" | bc -l)"
}

declare -A best peak cpu
keep() {  # keep NAME SECONDS KB CPU_SECONDS: the best time, the highest peak
  if [ -z "${best[$1]:-}" ] || (($(echo "$2 < ${best[$1]}" | bc -l))); then best[$1]=$2; fi
  if [ -z "${peak[$1]:-}" ] || (($3 > ${peak[$1]})); then peak[$1]=$3; fi
  if [ -z "${cpu[$1]:-}" ] || (($(echo "$4 < ${cpu[$1]}" | bc -l))); then cpu[$1]=$4; fi
}

run warm --no-cache "${SIZES[@]}" >/dev/null  # the photos into the page cache
for ((r = 1; r <= ROUNDS; r++)); do
  rm -rf "$XDG_CACHE_HOME"
  # Which of the two comes first changes from round to round, so neither gains from going
  # second.
  if ((r % 2)); then
    read -r s kb c < <(run without --no-cache "${SIZES[@]}"); keep without "$s" "$kb" "$c"
    read -r s kb c < <(run first "${SIZES[@]}"); keep first "$s" "$kb" "$c"
  else
    read -r s kb c < <(run first "${SIZES[@]}"); keep first "$s" "$kb" "$c"
    read -r s kb c < <(run without --no-cache "${SIZES[@]}"); keep without "$s" "$kb" "$c"
  fi
  read -r s kb c < <(run second "${SIZES[@]}"); keep second "$s" "$kb" "$c"
  read -r s kb c < <(run title --set "TITEL=Ein anderer Titel" "${SIZES[@]}"); keep title "$s" "$kb" "$c"
  read -r s kb c < <(run thumbs "${THUMBS[@]}"); keep thumbs "$s" "$kb" "$c"
  read -r s kb c < <(run thumbs-without --no-cache "${THUMBS[@]}")
  keep thumbs-without "$s" "$kb" "$c"
  printf 'round %d: without %s s, first %s s, second %s s, title %s s, thumbs %s s\n' "$r" \
    "${best[without]}" "${best[first]}" "${best[second]}" "${best[title]}" "${best[thumbs]}"
done

# Byte identity of every image written with and without the cache.
same() {  # same A B: the JPEG files of two output folders are identical
  local a=$WORK/$1 b=$WORK/$2 f
  for f in "$a"/*.jpg; do cmp -s "$f" "$b/$(basename "$f")" || return 1; done
  [ "$(ls "$a"/*.jpg | wc -l)" = "$(ls "$b"/*.jpg | wc -l)" ]
}
identical=yes
for pair in "first without" "second without" "title without" "thumbs thumbs-without"; do
  # shellcheck disable=SC2086
  same $pair || { identical=no; echo "images differ: $pair"; }
done

ratio() { echo "scale=3; $1 / $2" | bc -l; }
printf 'rebuild: %d photos, 2 variants, %d cores, cache in a fresh folder each round\n' \
  "${#photos[@]}" "$(nproc)"
printf 'without cache %.2f s; first %.2f s (%.3fx without, target <= 1.05)\n' \
  "${best[without]}" "${best[first]}" "$(ratio "${best[first]}" "${best[without]}")"
printf 'processor time: without cache %.2f s, first %.2f s (%.3fx)\n' \
  "${cpu[without]}" "${cpu[first]}" "$(ratio "${cpu[first]}" "${cpu[without]}")"
printf 'second %.2f s (%.3fx first), title %.2f s (%.3fx first), target <= 0.08\n' \
  "${best[second]}" "$(ratio "${best[second]}" "${best[first]}")" \
  "${best[title]}" "$(ratio "${best[title]}" "${best[first]}")"
printf 'thumbs %.2f s (%.3fx first, target <= 0.75)\n' \
  "${best[thumbs]}" "$(ratio "${best[thumbs]}" "${best[first]}")"
printf 'peak memory: first %d MB, second %d MB\n' $((peak[first] / 1024)) $((peak[second] / 1024))
printf 'images identical with and without the cache: %s\n' "$identical"
[ "$identical" = yes ]
