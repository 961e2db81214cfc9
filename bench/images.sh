#!/usr/bin/env bash
# Speed and memory of making the image variants of a gallery, next to vipsthumbnail.
#
# Usage: bench/images.sh [--against OTHER_VISTREL_CLI] [ROUNDS]
#        (default 3 rounds; the best round of each side counts)
# On the 48-photo corpus of make-corpus.sh (about 12 megapixels each, some portrait), it times
#   vistrel-cli generate with the benchmarks' skin (bench/skin): two variants, 160x160 at quality 80 and
#   1024x768 at quality 85, and the pages (a few milliseconds),
# side by side with two vipsthumbnail runs making the same two sizes, in alternating rounds,
# and prints the ratios of the wall times and of the processor times (user + system), and the
# peak memory (maximum resident set) of both.
# Targets: wall ratio at most 0.30, processor ratio at most 0.45, peak memory under 150 MB.
# With --against, every round also times the other program, right after this one, so both
# are measured under the same load (this one is printed first). BENCH_QUIET=1 gives the
# benchmark's session the machine first (bench/common.sh): the figures of a quiet machine.
set -euo pipefail
source "$(dirname "$0")/common.sh"
OTHER=
if [ "${1:-}" = --against ]; then
  OTHER=$2
  shift 2
fi
ROUNDS=${1:-3}
install_packages libvips-tools bc time
bench_photo_setup

# Every round starts with an empty variant cache: the figure is a first run's.
vistrel_run() {  # vistrel_run PROGRAM
  rm -rf "$WORK/v" "$WORK/cache"
  "$1" generate --skin "$SKIN" --out "$WORK/v" "${SIZES[@]}" "${photos[@]}"
}
thumbnail_run() {
  rm -rf "$WORK/t1" "$WORK/t2"; mkdir -p "$WORK/t1" "$WORK/t2"
  vipsthumbnail "${photos[@]}" -s 160x160 -o "$WORK/t1/%s.jpg[Q=80,strip]"
  vipsthumbnail "${photos[@]}" -s 1024x768 -o "$WORK/t2/%s.jpg[Q=85,strip]"
}
# Runs a function under /usr/bin/time; prints "seconds peak_kb cpu_seconds".
measure() {
  /usr/bin/time -f '%e %M %U %S' -o "$WORK/time" bash -c "$(declare -f "$1"); $(declare -p WORK SKIN photos SIZES); $*" >/dev/null 2>&1
  local seconds kb user system
  read -r seconds kb user system <"$WORK/time"
  echo "$seconds $kb $(echo "$user + $system" | bc -l)"
}

programs=("$BENCH_BUILD/vistrel-cli")
[ -n "$OTHER" ] && programs+=("$OTHER")
names=(vistrel-cli other)
vistrel_run "${programs[0]}" >/dev/null  # warm the page cache
declare -A best cpu peak
keep() {  # keep SIDE SECONDS KB CPU_SECONDS: the best time and processor time, the highest peak
  if [ -z "${best[$1]:-}" ] || (($(echo "$2 < ${best[$1]}" | bc -l))); then best[$1]=$2; fi
  if [ -z "${cpu[$1]:-}" ] || (($(echo "$4 < ${cpu[$1]}" | bc -l))); then cpu[$1]=$4; fi
  if [ -z "${peak[$1]:-}" ] || (($3 > ${peak[$1]})); then peak[$1]=$3; fi
}
printf 'load average: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
for ((r = 1; r <= ROUNDS; r++)); do
  line="round $r:"
  for p in "${!programs[@]}"; do
    read -r s kb c < <(measure vistrel_run "${programs[$p]}")
    keep "$p" "$s" "$kb" "$c"
    line+=$(printf ' %s %.2f s (%.2f s cpu, %d MB peak),' "${names[$p]}" "$s" "$c" $((kb / 1024)))
  done
  read -r s kb c < <(measure thumbnail_run)
  keep t "$s" "$kb" "$c"
  printf '%s vipsthumbnail x2 %.2f s (%.2f s cpu, %d MB peak)\n' "$line" "$s" "$c" $((kb / 1024))
done
printf 'images: %d photos, 2 variants, %d cores\n' "${#photos[@]}" "$(nproc)"
for p in "${!programs[@]}"; do
  printf '%s %.2f s, vipsthumbnail x2 %.2f s, ratio %.3f (target <= 0.30)\n' "${names[$p]}" \
    "${best[$p]}" "${best[t]}" "$(echo "${best[$p]} / ${best[t]}" | bc -l)"
  printf '%s processor time %.2f s, vipsthumbnail x2 %.2f s, ratio %.3f (target <= 0.45)\n' \
    "${names[$p]}" "${cpu[$p]}" "${cpu[t]}" "$(echo "${cpu[$p]} / ${cpu[t]}" | bc -l)"
  printf 'peak memory: %s %d MB (target < 150 MB), vipsthumbnail %d MB\n' "${names[$p]}" \
    $((peak[$p] / 1024)) $((peak[t] / 1024))
done
printf 'load average: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
