#!/usr/bin/env bash
# Installs what the tests need, builds Vistrel with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs the whole test suite through CTest (with the checks of the
# galleries every shipped skin makes of samples/, which need Node.js and tools/gallery-check).
# Then it builds the Debian package and checks it, installed too (scripts/package.sh and
# scripts/check-package.sh); VISTREL_SKIP_PACKAGE=1 leaves that out, and so does a user who is
# neither root nor has sudo without a password.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
install_packages "${VISTREL_PACKAGES[@]}" "${VISTREL_TEST_PACKAGES[@]}"
install_gallery_check

BUILD=${BUILD_DIR:-build/asan}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVISTREL_SANITIZE=ON
cmake --build "$BUILD"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD" --output-on-failure -j "$(nproc)"

if [ "${VISTREL_SKIP_PACKAGE:-}" = 1 ]; then
  echo "The Debian package: skipped (VISTREL_SKIP_PACKAGE=1)"
elif [ "$(id -u)" != 0 ] && ! sudo -n true 2>/dev/null; then
  echo "The Debian package: skipped (it installs packages: needs root or sudo without a password)"
else
  ./scripts/package.sh
  ./scripts/check-package.sh
fi
