#!/usr/bin/env bash
# Checks the Debian package that scripts/package.sh built (out/vistrel_*_amd64.deb):
#   - lintian reports no error (its warnings are printed);
#   - the package holds files below /usr only and no maintainer scripts, so installing,
#     upgrading or removing it never touches a user's settings, lists or cache;
#   - appstreamcli and desktop-file-validate accept its metainfo and its menu entry;
#   - an installed copy works: installed with apt-get over an older version of itself (a
#     scratch home with settings, a list and a cache stays as it was), the installed vistrel-cli
#     makes a gallery of samples/ with every installed skin from the installed skins folder, the
#     installed programs answer --help and --version, the manual pages, icons and the bash
#     completion are in place; then the package is purged and /usr holds exactly the files it
#     held before.
# The installed copy needs root or sudo without a password; without either it is skipped, and
# so it is with VISTREL_SKIP_INSTALL=1. It leaves the machine as it found it: packages that apt
# pulled in for it are purged again, and a machine with Vistrel installed already is left alone.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
install_packages "${VISTREL_PACKAGE_TOOLS[@]}"

debs=(out/vistrel_*_amd64.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  echo "Expected one out/vistrel_*_amd64.deb (scripts/package.sh builds it)" >&2
  exit 1
fi
DEB=./${debs[0]}
VERSION=$(dpkg-deb -f "$DEB" Version)

passed=0 failed=0 skipped=0
pass() { echo "ok: $1"; passed=$((passed + 1)); }
fail() { echo "FAILED: $1" >&2; failed=$((failed + 1)); }
skip() { echo "skipped: $1"; skipped=$((skipped + 1)); }
# check NAME COMMAND... : one check, counted.
check() {
  local name=$1
  shift
  if "$@"; then pass "$name"; else fail "$name"; fi
}

SCRATCH=$(mktemp -d /tmp/vistrel-package.XXXXXX)
SUDO=no
INSTALLED_BY_US=no
PULLED_IN=()
# as_root COMMAND... : runs the command as root, keeping HOME and DEBIAN_FRONTEND.
as_root() {
  if [ "$SUDO" = yes ]; then sudo --preserve-env=HOME,DEBIAN_FRONTEND "$@"; else "$@"; fi
}
export DEBIAN_FRONTEND=noninteractive
cleanup() {
  if [ "$INSTALLED_BY_US" = yes ]; then
    as_root apt-get purge -y -q vistrel "${PULLED_IN[@]}" >/dev/null || true
  fi
  rm -rf "$SCRATCH"
}
trap cleanup EXIT

# lintian: no error. Its report is kept for the summary below.
lintian_ok() {
  lintian --fail-on error --tag-display-limit 0 "$DEB" >"$SCRATCH/lintian.txt" 2>&1
  local status=$?
  cat "$SCRATCH/lintian.txt"
  return $status
}
check "lintian reports no error" lintian_ok

# Nothing outside /usr, and no maintainer scripts: only the package manager's own files.
only_usr() { ! dpkg-deb -c "$DEB" | awk '{print $6}' | grep -v '^\./$' | grep -v '^\./usr/'; }
check "every file lies below /usr" only_usr
no_scripts() {
  local control
  control=$(dpkg-deb --ctrl-tarfile "$DEB" | tar -t | grep -v '^\./$' | sort | tr '\n' ' ')
  [ "$control" = "./control ./md5sums " ] || { echo "control archive: $control" >&2; return 1; }
}
check "no maintainer scripts" no_scripts

dpkg-deb -x "$DEB" "$SCRATCH/root"
check "desktop-file-validate accepts the menu entry" \
  desktop-file-validate "$SCRATCH/root/usr/share/applications/org.vistrel.Vistrel.desktop"
check "appstreamcli accepts the metainfo" \
  appstreamcli validate --no-net "$SCRATCH/root/usr/share/metainfo/org.vistrel.Vistrel.metainfo.xml"

# ---- An installed copy ------------------------------------------------------------------------
install_check() {
  local home=$SCRATCH/home
  # A user's data as the programs keep them: settings, a saved list, a cache entry.
  mkdir -p "$home/.config/Vistrel" "$home/.cache/vistrel" "$home/Bilder"
  printf '[General]\nthumbnails=true\n' >"$home/.config/Vistrel/Vistrel.conf"
  cp samples/bilderliste.csv "$home/Bilder/liste.csv"
  head -c 1000 samples/bach.jpg >"$home/.cache/vistrel/eintrag"
  (cd "$home" && find . -type f -exec sha256sum {} + | sort) >"$SCRATCH/home.before"
  home_unchanged() {
    (cd "$home" && find . -type f -exec sha256sum {} + | sort) | cmp -s - "$SCRATCH/home.before"
  }

  dpkg-query -W -f='${Package}\n' | sort >"$SCRATCH/packages.before"
  # Caches that other packages' triggers rewrite when any package adds a menu entry or icon.
  list_usr() {
    find /usr -xdev \( -path /usr/share/applications/mimeinfo.cache \
      -o -path /usr/share/icons/hicolor/icon-theme.cache \) -prune -o -print | sort
  }
  list_usr >"$SCRATCH/usr.before"

  # An older version of the same package, installed first, so the real one is an upgrade.
  local older=${VERSION%%+*}~0
  dpkg-deb -R "$DEB" "$SCRATCH/older"
  sed -i "s/^Version: .*/Version: $older/" "$SCRATCH/older/DEBIAN/control"
  dpkg-deb --root-owner-group -b "$SCRATCH/older" "$SCRATCH/vistrel_${older}_amd64.deb" >/dev/null

  INSTALLED_BY_US=yes
  # HOME points at the scratch home, so anything run while installing would reach that one.
  apt_install() {
    HOME=$home as_root apt-get install -y -q --no-install-recommends "$1" >"$SCRATCH/apt.log" 2>&1 ||
      { cat "$SCRATCH/apt.log" >&2; return 1; }
  }
  check "apt-get installs an older version" apt_install "$SCRATCH/vistrel_${older}_amd64.deb"
  check "apt-get installs $DEB over it" apt_install "$DEB"
  mapfile -t PULLED_IN < <(dpkg-query -W -f='${Package}\n' | sort |
    comm -13 "$SCRATCH/packages.before" - | grep -vx vistrel || true)
  check "the installed version is $VERSION" \
    test "$(dpkg-query -W -f='${Version}' vistrel)" = "$VERSION"
  check "installing and upgrading left the home's settings, list and cache alone" home_unchanged

  check "vistrel-cli --version" bash -c '/usr/bin/vistrel-cli --version | grep -q "^vistrel-cli "'
  check "vistrel --help needs no display" \
    bash -c 'env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/vistrel --help | grep -q "^Aufruf: vistrel"'
  local skins=(/usr/share/vistrel/skins/*/*.vsk)
  check "the installed skins folder holds the skins" test ${#skins[@]} -ge 3
  check "vistrel-cli skins lists them all as ok" bash -c \
    "[ \"\$(/usr/bin/vistrel-cli skins /usr/share/vistrel/skins | cut -f1 | sort -u)\" = ok ] &&
     [ \"\$(/usr/bin/vistrel-cli skins /usr/share/vistrel/skins | wc -l)\" = ${#skins[@]} ]"
  local skin name
  for skin in "${skins[@]}"; do
    name=$(basename "$(dirname "$skin")")
    gallery() {
      HOME=$home XDG_CACHE_HOME=$SCRATCH/cache /usr/bin/vistrel-cli generate --skin "$1" \
        --out "$SCRATCH/galleries/$2" --list samples/bilderliste.csv >"$SCRATCH/$2.log" 2>&1 &&
        tail -n 1 "$SCRATCH/$2.log" | grep -qx "Galerie erfolgreich erstellt!" &&
        ls "$SCRATCH/galleries/$2"/*.html >/dev/null ||
        { cat "$SCRATCH/$2.log" >&2; return 1; }
    }
    check "the installed vistrel-cli makes a gallery with the skin $name" gallery "$skin" "$name"
  done
  check "the manual pages are installed" bash -c \
    'zcat /usr/share/man/man1/vistrel.1.gz | grep -q "^\.TH VISTREL 1" &&
     zcat /usr/share/man/man1/vistrel-cli.1.gz | grep -q "^\.TH VISTREL-CLI 1"'
  check "the icons are installed" test -f /usr/share/icons/hicolor/48x48/apps/vistrel.png \
    -a -f /usr/share/icons/hicolor/scalable/apps/vistrel.svg
  check "the installed bash completion offers the commands" bash -c \
    'source /usr/share/bash-completion/completions/vistrel-cli
     COMP_WORDS=(vistrel-cli gen); COMP_CWORD=1; _vistrel_cli; [ "${COMPREPLY[*]}" = generate ]'

  purge() {
    HOME=$home as_root apt-get purge -y -q vistrel "${PULLED_IN[@]}" >"$SCRATCH/apt.log" 2>&1 ||
      { cat "$SCRATCH/apt.log" >&2; return 1; }
    INSTALLED_BY_US=no
  }
  check "apt-get purges the package and what it pulled in" purge
  # A difference counts when it lies in a folder the package installs into (a file left over,
  # or one a trigger made there); elsewhere it comes from something else running meanwhile
  # on this machine, and is only shown.
  dpkg-deb -c "$DEB" | awk '{print $6}' | sed -e 's|^\.||' -e 's|/$||' | grep . | sort -u \
    >"$SCRATCH/package.paths"
  usr_as_before() {
    list_usr >"$SCRATCH/usr.after"
    local changed ours=0
    while read -r changed; do
      if grep -qxF -e "$changed" -e "$(dirname "$changed")" "$SCRATCH/package.paths"; then
        echo "left over: $changed" >&2
        ours=1
      else
        echo "changed meanwhile by something else (not counted): $changed"
      fi
    done < <(comm -3 "$SCRATCH/usr.before" "$SCRATCH/usr.after" | sed 's/^\t//')
    [ "$ours" = 0 ]
  }
  check "/usr holds the files it held before" usr_as_before
  check "removing it left the home's settings, list and cache alone" home_unchanged
}

if [ "${VISTREL_SKIP_INSTALL:-}" = 1 ]; then
  skip "the installed copy (VISTREL_SKIP_INSTALL=1)"
elif [ "$(id -u)" != 0 ] && ! sudo -n true 2>/dev/null; then
  skip "the installed copy (needs root or sudo without a password)"
elif dpkg-query -W -f='${Status}' vistrel 2>/dev/null | grep -q 'install ok installed'; then
  skip "the installed copy (Vistrel is installed on this machine already and is left alone)"
else
  [ "$(id -u)" = 0 ] || SUDO=yes
  install_check
fi

echo
echo "lintian: $(grep -c '^E: ' "$SCRATCH/lintian.txt" || true) errors," \
  "$(grep -c '^W: ' "$SCRATCH/lintian.txt" || true) warnings" \
  "$(grep '^W: ' "$SCRATCH/lintian.txt" | awk '{print $3}' | sort | uniq -c | tr -s ' ' | paste -sd, || true)"
echo "Package: $passed passed, $failed failed, $skipped skipped"
[ "$failed" = 0 ]
