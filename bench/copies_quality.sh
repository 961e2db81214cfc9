#!/usr/bin/env bash
# How close the copies of this program are to another's, and to the photo.
#
# Usage: bench/copies_quality.sh OTHER_VISTREL_CLI [PHOTOS]   (default: the first 48)
# Makes the benchmarks' two copies (160x160 at quality 80, 1024x768 at quality 85) of the
# corpus photos with this program and with the other one (today's, say), and as references the
# same sizes scaled by libvips from the whole decoded photo with lanczos3, written losslessly.
# Prints for each size the mean SSIM of this program's copies against the other's
# (bench/ssim_pairs.py), and both against the references: a change to how copies are made is
# kept only when this program's SSIM against the references stays within 0.005 of the other's.
set -euo pipefail
source "$(dirname "$0")/common.sh"
OTHER=$1
COUNT=${2:-48}
install_packages libvips-tools python3-numpy
bench_photo_setup
photos=("${photos[@]:0:$COUNT}")

# copies PROGRAM FOLDER: the copies of PROGRAM, by size, named as their photo.
copies() {
  rm -rf "$WORK/cache" "$WORK/run"
  "$1" generate --skin "$SKIN" --out "$WORK/run" "${SIZES[@]}" "${photos[@]}" >/dev/null
  mkdir -p "$2/klein" "$2/gross"
  for f in "$WORK"/run/klein_*.jpg; do mv "$f" "$2/klein/${f##*/klein_}"; done
  for f in "$WORK"/run/gross_*.jpg; do mv "$f" "$2/gross/${f##*/gross_}"; done
}
copies "$BENCH_BUILD/vistrel-cli" "$WORK/this"
copies "$OTHER" "$WORK/other"
# The references have the copies' sizes, which the rule of both programs gives alike.
mkdir -p "$WORK/ref/klein" "$WORK/ref/gross"
for photo in "${photos[@]}"; do
  name=$(basename "$photo")
  width=$(vipsheader -f width "$photo")
  height=$(vipsheader -f height "$photo")
  for size in klein gross; do
    w=$(vipsheader -f width "$WORK/this/$size/$name")
    h=$(vipsheader -f height "$WORK/this/$size/$name")
    vips resize "$photo" "$WORK/ref/$size/${name%.*}.png" "$(echo "$w / $width" | bc -l)" \
      --vscale "$(echo "$h / $height" | bc -l)"
  done
done
printf 'load average: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
for size in klein gross; do
  echo "$size (A this program, B the other):"
  /usr/bin/python3 "$BENCH_ROOT/bench/ssim_pairs.py" "$WORK/this/$size" "$WORK/other/$size" \
    "$WORK/ref/$size"
done
