#!/usr/bin/env bash
# Installs what Vistrel needs, builds it and starts the desktop program. Without a display it
# makes the demo galleries of samples/, one with every shipped skin, and says where they are.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
install_packages "${VISTREL_PACKAGES[@]}"

BUILD=${BUILD_DIR:-build/release}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVISTREL_BUILD_TESTS=OFF
cmake --build "$BUILD"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$BUILD/vistrel" "$@"
fi

OUT=${DEMO_OUT:-$PWD/out/demo}
echo "No display found: making the demo galleries of samples/ with vistrel-cli instead."
made=()
for skin in "$BUILD"/skins/*/*.vsk; do
  name=$(basename "$(dirname "$skin")")
  rm -rf "${OUT:?}/$name"
  "$BUILD/vistrel-cli" generate --skin "$skin" --out "$OUT/$name" --list samples/bilderliste.csv
  made+=("$OUT/$name/index.html")
done
echo
echo "Demo galleries, one per skin:"
printf '  %s\n' "${made[@]}"
