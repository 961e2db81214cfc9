#!/usr/bin/env bash
# Builds the Debian package of Vistrel: out/vistrel_<version>_amd64.deb with both programs, the
# skins, the guide, the menu entry and icons, the software centre's description, the manual
# pages and the bash completion, installing to /usr. The version is the project's (CMakeLists.txt),
# with "+dirty" when the working tree holds changes that are not committed. The programs are
# built in Release mode with Debian's hardening flags, in build/package (BUILD_DIR to change).
#
#   scripts/package.sh        then, as root: apt-get install ./out/vistrel_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
install_packages "${VISTREL_PACKAGES[@]}" "${VISTREL_PACKAGE_TOOLS[@]}"

BUILD=${BUILD_DIR:-build/package}
# Debian's compiler and linker flags, with every hardening feature.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVISTREL_BUILD_TESTS=OFF \
  -DVISTREL_PACKAGE=ON \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build "$BUILD"
rm -f "$BUILD"/vistrel_*.deb
(cd "$BUILD" && cpack -G DEB)

mkdir -p out
rm -f out/vistrel_*.deb
mv "$BUILD"/vistrel_*.deb out/
echo "Built: $(ls out/vistrel_*.deb)"
