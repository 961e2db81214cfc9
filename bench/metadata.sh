#!/usr/bin/env bash
# Time to read the metadata of a photo, as when images are added to the list.
#
# Usage: bench/metadata.sh [ROUNDS]   (default 20 rounds over the 48 corpus photos)
# Runs `vistrel-cli metadata` over the corpus ROUNDS times in one process and prints the time
# per image. The first round warms the page cache; it is not counted.
set -euo pipefail
source "$(dirname "$0")/common.sh"
ROUNDS=${1:-20}
install_packages bc
bench_build
bench_corpus

files=("$CORPUS"/p*.jpg)
"$BENCH_BUILD/vistrel-cli" metadata "${files[@]}" >/dev/null
list=()
for ((r = 0; r < ROUNDS; r++)); do list+=("${files[@]}"); done
seconds=$(bench_seconds "$BENCH_BUILD/vistrel-cli" metadata "${list[@]}")
count=${#list[@]}
printf 'metadata: %d reads in %.3f s, %.3f ms per image\n' "$count" "$seconds" \
  "$(echo "$seconds * 1000 / $count" | bc -l)"
