#!/usr/bin/env bash
# Speed and memory of making the image variants of a gallery, next to vipsthumbnail.
#
# Usage: bench/images.sh [ROUNDS]      (default 3; the best round of each side counts)
# On the 48-photo corpus of make-corpus.sh (about 12 megapixels each, some portrait), it times
#   vistrel-cli generate with the benchmarks' skin (bench/skin): two variants, 160x160 at quality 80 and
#   1024x768 at quality 85, and the pages (a few milliseconds),
# side by side with two vipsthumbnail runs making the same two sizes, in alternating rounds,
# and prints the ratio of the wall times and the peak memory (maximum resident set) of both.
# Targets: ratio at most 0.35, peak memory under 150 MB.
set -euo pipefail
source "$(dirname "$0")/common.sh"
ROUNDS=${1:-3}
install_packages libvips-tools bc time
bench_photo_setup

# Every round starts with an empty variant cache: the figure is a first run's.
vistrel_run() {
  rm -rf "$WORK/v" "$WORK/cache"
  "$BENCH_BUILD/vistrel-cli" generate --skin "$SKIN" --out "$WORK/v" "${SIZES[@]}" "${photos[@]}"
}
thumbnail_run() {
  rm -rf "$WORK/t1" "$WORK/t2"; mkdir -p "$WORK/t1" "$WORK/t2"
  vipsthumbnail "${photos[@]}" -s 160x160 -o "$WORK/t1/%s.jpg[Q=80,strip]"
  vipsthumbnail "${photos[@]}" -s 1024x768 -o "$WORK/t2/%s.jpg[Q=85,strip]"
}
# Runs a function under /usr/bin/time; prints "seconds peak_kb".
measure() {
  /usr/bin/time -f '%e %M' -o "$WORK/time" bash -c "$(declare -f "$1"); $(declare -p WORK SKIN BENCH_BUILD photos SIZES); $1" >/dev/null 2>&1
  cat "$WORK/time"
}

vistrel_run >/dev/null  # warm the page cache
best_v=999999; best_t=999999; peak_v=0; peak_t=0
for ((r = 1; r <= ROUNDS; r++)); do
  read -r tv mv < <(measure vistrel_run)
  read -r tt mt < <(measure thumbnail_run)
  printf 'round %d: vistrel-cli %.2f s (%d MB peak), vipsthumbnail x2 %.2f s (%d MB peak)\n' \
    "$r" "$tv" $((mv / 1024)) "$tt" $((mt / 1024))
  best_v=$(echo "if ($tv < $best_v) $tv else $best_v" | bc -l)
  best_t=$(echo "if ($tt < $best_t) $tt else $best_t" | bc -l)
  ((mv > peak_v)) && peak_v=$mv
  ((mt > peak_t)) && peak_t=$mt
done
ratio=$(echo "$best_v / $best_t" | bc -l)
printf 'images: %d photos, 2 variants, %d cores\n' "${#photos[@]}" "$(nproc)"
printf 'vistrel-cli %.2f s, vipsthumbnail x2 %.2f s, ratio %.2f (target <= 0.35)\n' "$best_v" "$best_t" "$ratio"
printf 'peak memory: vistrel-cli %d MB (target < 150 MB), vipsthumbnail %d MB\n' $((peak_v / 1024)) $((peak_t / 1024))
