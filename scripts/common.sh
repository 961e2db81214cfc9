# Shared by run.sh and test.sh: the Debian packages Vistrel needs and how they are installed.
# shellcheck shell=bash

VISTREL_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libvips-dev libexiv2-dev libxxhash-dev libgtest-dev
  qt6-translations-l10n fonts-dejavu-core xdg-utils
)
VISTREL_TEST_PACKAGES=(liblcms2-dev)
# Building the Debian package (scripts/package.sh) and checking it (scripts/check-package.sh).
VISTREL_PACKAGE_TOOLS=(dpkg-dev file go-md2man librsvg2-bin lintian appstream desktop-file-utils)

# install_packages NAME... : apt-get update and install whatever is missing.
install_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" = 0 ] || sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}

# install_gallery_check : Node.js and npm when missing (from Debian), then the pinned packages of
# tools/gallery-check with `npm ci`, again only when its lock file changed since the last install.
install_gallery_check() {
  local tool need=()
  tool=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/tools/gallery-check
  command -v node >/dev/null || need+=(nodejs)
  command -v npm >/dev/null || need+=(npm)
  [ ${#need[@]} -eq 0 ] || install_packages "${need[@]}"
  if ! cmp -s "$tool/package-lock.json" "$tool/node_modules/.installed-lock.json"; then
    (cd "$tool" && npm ci --no-audit --no-fund --loglevel=error)
    cp "$tool/package-lock.json" "$tool/node_modules/.installed-lock.json"
  fi
}
