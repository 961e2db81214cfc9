# Shared by run.sh and test.sh: the Debian packages Vistrel needs and how they are installed.
# shellcheck shell=bash

VISTREL_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libvips-dev libexiv2-dev libgtest-dev
  qt6-translations-l10n fonts-dejavu-core xdg-utils
)
VISTREL_TEST_PACKAGES=(liblcms2-dev)

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
