#!/usr/bin/env bash
# Makes a gallery of the sample photos (samples/bilderliste.csv) with every skin in skins/ and
# checks each one with tools/gallery-check: valid HTML and references that stay inside the
# gallery (check.mjs, quick). With --full it also opens them in Chromium (measure.mjs:
# accessibility, layout at phone widths, tap targets, Lighthouse) and saves screenshots.
#
# usage: scripts/check-galleries.sh [--full] [--cli PATH] [--out DIR] [--lightbox-selector SEL]
#   --cli PATH   vistrel-cli to use (default build/release/vistrel-cli, made by scripts/run.sh)
#   --out DIR    where the galleries go, one folder per skin (default out/gallery-check);
#                with --full the screenshots and results.json go to DIR/screenshots
#   --lightbox-selector SEL   passed on to measure.mjs: what to click to open an in-page viewer
# Installs what is missing: nodejs and npm (and chromium with --full) from Debian, the node
# packages with `npm ci`. The image page to measure and the viewer to open are found from each
# start page (see tools/gallery-check/measure.mjs). Exit status 0 when every gallery was made and passed the checks.
set -euo pipefail

FULL=0
CLI=
OUT=
LIGHTBOX=()
while [ $# -gt 0 ]; do
  case $1 in
    --full) FULL=1 ;;
    --cli) CLI=${2:?--cli needs a path}; shift ;;
    --out) OUT=${2:?--out needs a folder}; shift ;;
    --lightbox-selector) LIGHTBOX=(--lightbox-selector "${2:?--lightbox-selector needs a CSS selector}"); shift ;;
    -h|--help) awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$0"; exit 0 ;;
    *) echo "check-galleries.sh: unknown argument $1 (see --help)" >&2; exit 2 ;;
  esac
  shift
done
# Paths given by the caller are taken from where they called us.
[ -n "$CLI" ] && CLI=$(realpath -m -- "$CLI")
[ -n "$OUT" ] && OUT=$(realpath -m -- "$OUT")

cd "$(dirname "$0")/.."
ROOT=$PWD
source scripts/common.sh
CLI=${CLI:-$ROOT/build/release/vistrel-cli}
OUT=${OUT:-$ROOT/out/gallery-check}
TOOL=$ROOT/tools/gallery-check

if [ ! -x "$CLI" ]; then
  echo "check-galleries.sh: no vistrel-cli at $CLI." >&2
  echo "Run ./scripts/run.sh first (it builds build/release), or name another one with --cli PATH." >&2
  exit 2
fi

if [ "$FULL" = 1 ] && [ ! -x /usr/bin/chromium ]; then install_packages chromium; fi
install_gallery_check

mkdir -p "$OUT"
galleries=()
failed=0
shopt -s nullglob
skins=(skins/*/*.vsk)
if [ ${#skins[@]} -eq 0 ]; then
  echo "check-galleries.sh: no skins found under skins/" >&2
  exit 1
fi
for skin in "${skins[@]}"; do
  name=$(basename "$(dirname "$skin")")
  dest=$OUT/$name
  rm -rf "$dest"
  echo "== $name: making the gallery in $dest"
  if "$CLI" generate --skin "$skin" --out "$dest" --list samples/bilderliste.csv --copy-originals; then
    galleries+=("$dest")
  else
    echo "check-galleries.sh: vistrel-cli failed for skin $name" >&2
    failed=1
  fi
done

if [ ${#galleries[@]} -gt 0 ]; then
  echo "== checking HTML and references"
  node "$TOOL/check.mjs" "${galleries[@]}" || failed=1
  if [ "$FULL" = 1 ]; then
    echo "== measuring in Chromium (this takes a while)"
    CHROME_PATH=/usr/bin/chromium node "$TOOL/measure.mjs" --out "$OUT/screenshots" "${LIGHTBOX[@]}" "${galleries[@]}" || failed=1
  fi
fi
exit $failed
