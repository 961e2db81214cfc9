#!/usr/bin/env bash
# Installs what Vistrel needs, builds it and starts the desktop program. Without a display it
# makes the demo gallery from samples/ with the default skin instead and says where it is.
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

OUT=${DEMO_OUT:-$PWD/out/demo-gallery}
echo "No display found: making the demo gallery with vistrel-cli instead."
rm -rf "$OUT"
"$BUILD/vistrel-cli" generate --skin "$BUILD/skins/standard/standard.vsk" --out "$OUT" samples/
echo
echo "Demo gallery: $OUT/index.html"
