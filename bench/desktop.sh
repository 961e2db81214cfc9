#!/usr/bin/env bash
# Does the main window keep answering with a photographer's year of photos?
#
# Usage: bench/desktop.sh [--against OTHER_TREE] [LIST_PHOTOS [FOLDER_PHOTOS]]
#        (default: 10000 photos in the list, 2400 in the folder)
# Makes LIST_PHOTOS + FOLDER_PHOTOS distinct photos from the benchmark corpus (as bench/scale.sh
# does: copy k gets a line of text naming k after its image data), an image list of the first
# LIST_PHOTOS and a folder of the others, builds the driver bench/desktop/desktop_bench.cpp
# optimised against this tree and runs it offscreen: open the list, sort it by date, add the
# folder, select every image, add a property and type its value, scroll the image list, show
# the folder in the file browser and scroll it. For each step it prints the longest pause of the
# event loop (the longest time between two ticks of a 5 ms timer), the time the call itself
# took, the time until its result showed and the time until the photos' metadata was read.
# Target: no pause over 200 ms, the list shown in under 3 s.
# With --against, the same driver is built against OTHER_TREE (a source tree, for example
# `git archive main | tar -x -C DIR`) and run right after, so both are measured under the same
# load; the load average is printed before each run. The photos take 2.2 MB each below $TMPDIR.
set -euo pipefail
source "$(dirname "$0")/common.sh"
install_packages bc
OTHER=
if [ "${1:-}" = --against ]; then
  OTHER=$(cd "$2" && pwd)
  shift 2
fi
LIST_PHOTOS=${1:-10000}
FOLDER_PHOTOS=${2:-2400}
bench_corpus
photos=("$CORPUS"/p*.jpg)

# driver TREE BUILD: builds the driver against TREE in BUILD and prints its path.
driver() {
  cmake -S "$BENCH_ROOT/bench/desktop" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVISTREL_TREE="$1" -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
  # Inside $(...) a failure does not end the script by itself.
  cmake --build "$2" --target desktop_bench -j2 >/dev/null || exit 1
  echo "$2/desktop_bench"
}
THIS=$(driver "$BENCH_ROOT" "$BENCH_ROOT/build/desktop-bench")
[ -z "$OTHER" ] || THAT=$(driver "$OTHER" "$BENCH_ROOT/build/desktop-bench-against")

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export XDG_CACHE_HOME=$WORK/cache XDG_CONFIG_HOME=$WORK/config HOME=$WORK/home
mkdir -p "$WORK/list" "$WORK/folder" "$HOME"
# copy K DIR: the K-th distinct photo into DIR; prints its name.
copy() {
  local source_photo=${photos[$1 % ${#photos[@]}]}
  local name
  name=c$(printf '%05d' "$1")-$(basename "$source_photo")
  cp "$source_photo" "$2/$name"
  printf '\nvistrel-bench copy %d\n' "$1" >>"$2/$name"
  echo "$name"
}
{
  printf '"Dateiname";"Pfad";\r\n'
  for ((k = 0; k < LIST_PHOTOS; k++)); do
    printf '"%s";"%s/";\r\n' "$(copy "$k" "$WORK/list")" "$WORK/list"
  done
} >"$WORK/photos.csv"
for ((k = LIST_PHOTOS; k < LIST_PHOTOS + FOLDER_PHOTOS; k++)); do copy "$k" "$WORK/folder" >/dev/null; done
sync

run() {
  echo "== $1 (load average $(cut -d' ' -f1-3 /proc/loadavg))"
  # A cold start for each: the settings and thumbnails of the other run are not reused.
  rm -rf "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
  QT_QPA_PLATFORM=offscreen "$2" "$WORK/photos.csv" "$WORK/folder"
}
run "this tree" "$THIS"
[ -z "$OTHER" ] || run "$OTHER" "$THAT"
