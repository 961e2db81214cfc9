# Shared by run.sh and test.sh: the Debian packages Vistrel needs and how they are installed.
# shellcheck shell=bash

VISTREL_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libvips-dev libexiv2-dev libxxhash-dev libjpeg-dev libgtest-dev
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
# The install holds the tool folder's lock exclusively, and whoever runs the checks holds it shared
# (hold_gallery_check, or `flock -s tools/gallery-check node ...`): `npm ci` first removes
# node_modules, so no check may run while it replaces the packages, and installs started at once
# (two build trees, test.sh and a check) run one after the other, the later one finding them in place.
install_gallery_check() {
  local tool need=()
  tool=$(gallery_check_folder)
  command -v node >/dev/null || need+=(nodejs)
  command -v npm >/dev/null || need+=(npm)
  [ ${#need[@]} -eq 0 ] || install_packages "${need[@]}"
  (
    flock 9
    if ! cmp -s "$tool/package-lock.json" "$tool/node_modules/.installed-lock.json"; then
      (cd "$tool" && npm ci --no-audit --no-fund --loglevel=error)
      cp "$tool/package-lock.json" "$tool/node_modules/.installed-lock.json"
    fi
  ) 9<"$tool"
}

# hold_gallery_check : takes the tool folder's lock shared until the calling shell ends, so that no
# install replaces the packages under the checks it runs. Call it after install_gallery_check,
# never before (the install would wait for the caller's own lock).
hold_gallery_check() {
  local fd
  exec {fd}<"$(gallery_check_folder)"
  flock -s "$fd"
}

gallery_check_folder() {
  echo "$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/tools/gallery-check"
}
