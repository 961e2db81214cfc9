#!/usr/bin/env bash
# Time, processor time and peak memory of galleries of many photos, next to vipsthumbnail.
#
# Usage: bench/scale.sh [--against OTHER_VISTREL_CLI] [--ten-thousand] [--memory] [COUNTS...]
#        (default counts: 48 600 2400; --ten-thousand adds 10000)
# Makes as many distinct photos as the largest count asks from the 48 of the benchmark corpus:
# copy k of a corpus photo gets a line of text naming k after its image data, so every copy is
# a different file to the variant cache and reads as the same picture. For each count N it
# times, on the first N of them:
#   vipsthumbnail x2  two vipsthumbnail runs making the benchmark skin's two sizes
#   bench first       vistrel-cli with the benchmarks' skin (bench/skin: two variants, two
#                     templates), no variant cache yet
#   bench title       the same again with another title: the cache then has every copy
#   standard first    the shipped Standard skin (four variants, a page per photo), no cache
#   standard title    the same again with another title
# and prints wall seconds, processor seconds (user + system), peak memory (maximum resident
# set) and the ratios of wall and processor time to the vipsthumbnail runs. Every vistrel-cli
# run writes into a new folder; the variant cache is emptied before each first run.
# Targets: peak memory flat in the number of photos (the largest count within 1.10x of 48,
# for both skins, printed at the end).
# With --against, every vistrel-cli run is made with the other program as well, right after
# this one's, so both are measured under the same load (this one is printed first).
# With --memory, only the first runs are made, without vipsthumbnail: the peak memory at each
# count in a fraction of the time (vipsthumbnail alone takes a quarter of an hour at 2,400).
# The photos take 2.2 MB each below $TMPDIR (default /tmp): 5.3 GB for 2,400, 22 GB for 10,000.
set -euo pipefail
source "$(dirname "$0")/common.sh"
install_packages libvips-tools bc time
OTHER=
COUNTS=()
while [ $# -gt 0 ]; do
  case $1 in
    --against) OTHER=$2; shift 2 ;;
    --ten-thousand) TEN_THOUSAND=1; shift ;;
    --memory) MEMORY=1; shift ;;
    *) COUNTS+=("$1"); shift ;;
  esac
done
[ ${#COUNTS[@]} -gt 0 ] || COUNTS=(48 600 2400)
[ -n "${TEN_THOUSAND:-}" ] && COUNTS+=(10000)
bench_photo_setup
STANDARD=$BENCH_ROOT/skins/standard/standard.vsk

# The distinct photos, as many as the largest count; the file names keep the corpus name.
largest=0
for n in "${COUNTS[@]}"; do ((n > largest)) && largest=$n; done
mkdir -p "$WORK/photos"
all=()
for ((k = 0; k < largest; k++)); do
  source_photo=${photos[k % ${#photos[@]}]}
  copy=$WORK/photos/c$(printf '%05d' "$k")-$(basename "$source_photo")
  cp "$source_photo" "$copy"
  printf '\nvistrel-bench copy %d\n' "$k" >>"$copy"
  all+=("$copy")
done

# measure NAME COMMAND...: "wall cpu peak_kb" of one command, its output discarded.
measure() {
  local name=$1
  shift
  /usr/bin/time -f '%e %U %S %M' -o "$WORK/time" "$@" >"$WORK/$name.log" 2>&1 ||
    { cat "$WORK/$name.log" >&2; exit 1; }
  local wall user system kb
  read -r wall user system kb <"$WORK/time"
  echo "$wall $(echo "$user + $system" | bc -l) $kb"
}
# The two vipsthumbnail runs, as one command: thumbnails PHOTOS...
cat >"$WORK/thumbnails" <<'SCRIPT'
#!/bin/sh
out=$(dirname "$0")
mkdir -p "$out/t1" "$out/t2" &&
  vipsthumbnail "$@" -s 160x160 -o "$out/t1/%s.jpg[Q=80,strip]" &&
  vipsthumbnail "$@" -s 1024x768 -o "$out/t2/%s.jpg[Q=85,strip]"
SCRIPT
chmod +x "$WORK/thumbnails"
# row PROGRAM_INDEX RUN "wall cpu kb": one line of the table, with the ratios to the last
# vipsthumbnail runs.
row() {
  local wall cpu kb
  read -r wall cpu kb <<<"$3"
  if [ -z "$vt_wall" ]; then
    printf '%6d  %-8s %-16s %8.2f %8.2f %8d %8s %8s\n' "$n" "$(name_of "$1")" "$2" "$wall" \
      "$cpu" $((kb / 1024)) - -
    return
  fi
  printf '%6d  %-8s %-16s %8.2f %8.2f %8d %8.3f %8.3f\n' "$n" "$(name_of "$1")" "$2" "$wall" \
    "$cpu" $((kb / 1024)) "$(echo "$wall / $vt_wall" | bc -l)" "$(echo "$cpu / $vt_cpu" | bc -l)"
}

programs=("$BENCH_BUILD/vistrel-cli")
[ -n "$OTHER" ] && programs+=("$OTHER")
name_of() { [ "$1" = 0 ] && echo this || echo other; }
declare -A peak
printf 'scale: %d cores, load average %s\n' "$(nproc)" "$(cut -d' ' -f1-3 /proc/loadavg)"
printf '%6s  %-8s %-16s %8s %8s %8s %8s %8s\n' photos program run wall cpu 'peak MB' \
  'wall/vt' 'cpu/vt'
for n in "${COUNTS[@]}"; do
  set -- "${all[@]:0:n}"
  cat "$@" >/dev/null  # into the page cache, for both sides alike
  vt_wall= vt_cpu=
  if [ -z "${MEMORY:-}" ]; then
    read -r vt_wall vt_cpu vt_kb < <(measure thumbs "$WORK/thumbnails" "$@")
    rm -rf "$WORK/t1" "$WORK/t2"
    printf '%6d  %-8s %-16s %8.2f %8.2f %8d\n' "$n" - 'vipsthumbnail x2' "$vt_wall" "$vt_cpu" \
      $((vt_kb / 1024))
  fi
  for skin in bench standard; do
    if [ "$skin" = bench ]; then
      file=$SKIN options=("${SIZES[@]}") title=TITEL
    else
      file=$STANDARD options=() title=GALERIETITEL
    fi
    for p in "${!programs[@]}"; do
      rm -rf "$XDG_CACHE_HOME"
      result=$(measure first "${programs[$p]}" generate --skin "$file" --out "$WORK/out-first" \
        "${options[@]}" "$@")
      row "$p" "$skin first" "$result"
      peak[$p,$skin,$n]=${result##* }
      [ -n "${MEMORY:-}" ] && { rm -rf "$WORK/out-first"; continue; }
      result=$(measure title "${programs[$p]}" generate --skin "$file" --out "$WORK/out-title" \
        "${options[@]}" --set "$title=Ein anderer Titel" "$@")
      row "$p" "$skin title" "$result"
      rm -rf "$WORK/out-first" "$WORK/out-title"
    done
  done
done
smallest=${COUNTS[0]}
for skin in bench standard; do
  for p in "${!programs[@]}"; do
    printf 'peak memory, %s skin, %s: %d MB at %d photos, %d MB at %d (%.2fx, target <= 1.10)\n' \
      "$skin" "$(name_of "$p")" $((peak[$p,$skin,$smallest] / 1024)) "$smallest" \
      $((peak[$p,$skin,$largest] / 1024)) "$largest" \
      "$(echo "${peak[$p,$skin,$largest]} / ${peak[$p,$skin,$smallest]}" | bc -l)"
  done
done
printf 'load average: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
