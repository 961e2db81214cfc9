#!/usr/bin/env bash
# Walks through the desktop program as a new user would, on a virtual screen of 1366 x 768
# pixels (Xvfb, with the Openbox window manager) and with a fresh home folder, driven by
# xdotool: add the sample photos, edit a property, reorder the list, save it and load it
# again, make a gallery with every shipped skin, cancel a run, look at the skin preview and the
# directory chooser, and close the program with unsaved changes. Then a journey of 48 photos: its
# gallery made, a caption changed, the program ended and started again, the list opened and
# "Galerie aktualisieren": the gallery keeps its names (none numbered) and shows the new caption. Every window is photographed
# on the way (ImageMagick's import) into OUT (default out/walk); look at them.
#
#   scripts/walk-desktop.sh [--build DIR] [--out DIR] [--keep-home]
#
# DIR defaults to build/release (built first when it has no vistrel); a sanitizer build works
# too, and a sanitizer report in the program's output (OUT/program.log) fails the walk. The
# script installs the Debian packages it needs. It is not part of the test suite: it needs no
# display of its own, but it takes a minute and its result is pictures for a person to judge.
# It stops with an error when a window it waits for does not appear.
# The "~" in the paths below is typed into the program, which resolves it itself.
# shellcheck disable=SC2088
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

BUILD=${BUILD_DIR:-build/release}
OUT=out/walk
KEEP_HOME=no
while [ $# -gt 0 ]; do
  case "$1" in
    --build) BUILD=$2; shift 2 ;;
    --out) OUT=$2; shift 2 ;;
    --keep-home) KEEP_HOME=yes; shift ;;
    *) echo "usage: $0 [--build DIR] [--out DIR] [--keep-home]" >&2; exit 2 ;;
  esac
done

install_packages xvfb xdotool imagemagick openbox
if [ ! -x "$BUILD/vistrel" ]; then
  install_packages "${VISTREL_PACKAGES[@]}"
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVISTREL_BUILD_TESTS=OFF
  cmake --build "$BUILD"
fi
PROGRAM=$(cd "$BUILD" && pwd)/vistrel
mkdir -p "$OUT"
OUT=$(cd "$OUT" && pwd)
rm -f "$OUT"/*.png

# A fresh home as a German desktop has it: the photos in ~/Bilder, which is the pictures folder.
WALK_HOME=$(mktemp -d /tmp/vistrel-walk.XXXXXX)
mkdir -p "$WALK_HOME/Bilder" "$WALK_HOME/.config"
cp samples/*.jpg "$WALK_HOME/Bilder/"
# shellcheck disable=SC2016  # the desktop's own notation, expanded by whoever reads the file
echo 'XDG_PICTURES_DIR="$HOME/Bilder"' >"$WALK_HOME/.config/user-dirs.dirs"

# A sanitizer build: the test suite's leak suppressions, and the D-Bus connection that the
# toolkit opens on a real X display and keeps for the life of the process.
{ cat tests/lsan.supp; echo "leak:libdbus-1.so"; } >"$WALK_HOME/lsan.supp"
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$WALK_HOME/lsan.supp:print_suppressions=0}

PIDS=()
cleanup() {
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if [ "$KEEP_HOME" = yes ]; then echo "Home folder kept: $WALK_HOME"; else rm -rf "$WALK_HOME"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM  # interrupted: the cleanup above still runs

# The X server picks a free display and tells its number.
exec 5< <(Xvfb -displayfd 1 -screen 0 1366x768x24 -nolisten tcp 2>/dev/null)
PIDS+=($!)
read -r -t 10 display <&5 || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display"
export HOME=$WALK_HOME
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME
openbox >/dev/null 2>&1 &
PIDS+=($!)
sleep 1

# --- helpers -------------------------------------------------------------------------------
step=0
say() { echo "== $*"; }
# shot NAME [WINDOW]: the whole screen, or one window with its frame.
shot() {
  step=$((step + 1))
  local file
  file=$(printf '%s/%02d-%s.png' "$OUT" "$step" "$1")
  sleep 0.4
  if [ $# -gt 1 ]; then import -silent -frame -window "$2" "$file"; else import -silent -window root "$file"; fi
  echo "   $file"
}
# The title as a pattern that matches it exactly.
title_pattern() { printf '^%s$' "$(printf '%s' "$1" | sed 's/[][().*^$?+|{}\\]/\\&/g')"; }
# wait_window TITLE: the id of the visible window with that title (waits up to 20 s).
wait_window() {
  local id
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$(title_pattern "$1")" 2>/dev/null | tail -1 || true)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.2
  done
  echo "window \"$1\" did not appear" >&2
  return 1
}
# wait_gone TITLE: waits until no visible window has that title.
wait_gone() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "$(title_pattern "$1")" >/dev/null 2>&1 || return 0
    sleep 0.2
  done
  echo "window \"$1\" did not close" >&2
  return 1
}
# wait_active_other WINDOW: the id of the active window once it is another one than WINDOW.
wait_active_other() {
  local id
  for _ in $(seq 100); do
    id=$(xdotool getactivewindow 2>/dev/null || true)
    if [ -n "$id" ] && [ "$id" != "$1" ]; then echo "$id"; return 0; fi
    sleep 0.2
  done
  echo "no window came up over $1" >&2
  return 1
}
# click WINDOW X Y: a left click at X,Y inside the window.
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.3; }
# xdotool reads the text in the locale's encoding: without a UTF-8 one it drops the umlauts.
type_text() { LC_ALL=C.UTF-8 xdotool type --delay 20 "$1"; }
keys() { xdotool key --delay 80 "$@"; sleep 0.2; }

# --- the walk ------------------------------------------------------------------------------
say "Start: the main window opens at the pictures folder"
"$PROGRAM" >"$OUT/program.log" 2>&1 &
PROGRAM_PID=$!
PIDS+=("$PROGRAM_PID")
# The main window's title names the list and carries the version: "Neue Bilderliste - Vistrel - V0.33 (beta)".
MAIN=$(wait_window "Neue Bilderliste - Vistrel - V$("$PROGRAM" --version | cut -d' ' -f2-)")
sleep 1.5
shot start "$MAIN"

say "All photos of the folder into the image list"
click "$MAIN" 90 400            # an entry of the file list
keys ctrl+a
click "$MAIN" 92 668            # "Hinzufügen >>"
click "$MAIN" 300 105           # the third image
shot images-added "$MAIN"

say "A property for every image, a value for one and one for two at once"
click "$MAIN" 883 570            # "neue Eigenschaft"
ASK=$(wait_window "Neue Eigenschaft")
type_text "Titel"
shot new-property "$ASK"
keys Return
wait_gone "Neue Eigenschaft"
click "$MAIN" 360 572            # the line "Titel: "
type_text "Brücke im Morgenlicht"
shot property-edited "$MAIN"
click "$MAIN" 300 77             # the first image, then the second one too
xdotool keydown ctrl
click "$MAIN" 300 91
xdotool keyup ctrl
click "$MAIN" 360 572
type_text "Abendstimmung"
shot two-images-one-value "$MAIN"

say "Reorder: the last photo three places up, then sorted by the date taken"
click "$MAIN" 300 265            # trommel.jpg
keys ctrl+Up ctrl+Up ctrl+Up
shot moved-up "$MAIN"
click "$MAIN" 903 513            # "nach Aufnahmedatum"
shot sorted-by-date "$MAIN"

say "Save the list, then load it again"
click "$MAIN" 20 37              # the save button of the tool bar
FILES=$(wait_active_other "$MAIN")
sleep 0.5
shot save-dialog "$FILES"
type_text "urlaub.csv"
keys Return
sleep 1
click "$MAIN" 53 37              # the load button: the list is saved, nothing is asked
FILES=$(wait_active_other "$MAIN")
sleep 0.5
type_text "urlaub.csv"
keys Return
sleep 1.5
shot list-loaded "$MAIN"

say "The create-gallery dialog"
click "$MAIN" 138 37             # "Galerie erzeugen..."
DIALOG=$(wait_window "Galerie erzeugen")
sleep 1
shot create-gallery "$DIALOG"

# run_gallery NAME: Start! into ~/Galerien/NAME, a photograph of the progress window when the run
# is over, and Enter, which closes it.
run_gallery() {
  click "$DIALOG" 289 230          # the output path
  keys ctrl+a
  type_text "~/Galerien/$1"
  keys Return                      # Enter starts
  local progress
  progress=$(wait_window "Erzeuge Galerie...")
  for _ in $(seq 150); do [ -e "$HOME/Galerien/$1/index.html" ] && break; sleep 0.2; done
  sleep 1.5
  shot "progress-$1" "$progress"
  keys Return                      # Enter closes the window after the run
  wait_gone "Erzeuge Galerie..."
}

say "A run cancelled soon after it began (the cache is still empty, so there is work to cancel)"
click "$DIALOG" 289 230          # the output path
keys ctrl+a
type_text "~/Galerien/abbruch"
keys Return
PROGRESS=$(wait_window "Erzeuge Galerie...")
sleep 0.3
keys Escape                      # Escape during the run cancels it
sleep 3
if xdotool search --onlyvisible --name "$(title_pattern "Erzeuge Galerie...")" >/dev/null; then
  shot progress-cancelled "$PROGRESS"
  keys Return
  wait_gone "Erzeuge Galerie..."
else
  echo "   (the run was over before Escape; Escape closed the window)"
fi

say "A gallery with every shipped skin"
run_gallery einzelseite
click "$DIALOG" 329 21           # the skin: the next one in the list
keys Down Tab
shot create-gallery-klassisch "$DIALOG"
run_gallery klassisch
click "$DIALOG" 329 21
keys Down Tab
shot create-gallery-standard "$DIALOG"
run_gallery standard
for skin in einzelseite klassisch standard; do
  [ -e "$HOME/Galerien/$skin/index.html" ] || { echo "no gallery made with $skin" >&2; exit 1; }
done

say "Into a folder that holds other things: the question, answered with Abbrechen"
click "$DIALOG" 289 230
keys ctrl+a
type_text "~/Galerien"
keys Return
QUESTION=$(wait_window "Verzeichnis nicht leer")
shot folder-not-empty "$QUESTION"
keys Escape
wait_gone "Verzeichnis nicht leer"

say "The skin's preview in front of the dialog, closed with Escape"
click "$DIALOG" 570 107
wait_active_other "$DIALOG" >/dev/null
shot skin-preview
keys Escape
sleep 0.5
[ "$(xdotool getactivewindow)" = "$DIALOG" ] || { echo "the preview did not close" >&2; exit 1; }

say "The directory chooser with a new folder"
click "$DIALOG" 289 230
keys ctrl+a
type_text "~/Galerien"
keys Tab                         # leaving the field shows the full path
click "$DIALOG" 632 230          # "Durchsuchen..."
CHOOSER=$(wait_window "Verzeichnis wählen...")
sleep 1
shot directory-chooser "$CHOOSER"
click "$CHOOSER" 55 362          # "Neuer Ordner..."
wait_window "Neuer Ordner" >/dev/null
type_text "Sommer 2026"
keys Return
sleep 1
shot new-folder "$CHOOSER"
keys Return                      # OK
wait_gone "Verzeichnis wählen..."
shot create-gallery-new-folder "$DIALOG"
[ -d "$HOME/Galerien/Sommer 2026" ] || { echo "the new folder was not made" >&2; exit 1; }
click "$DIALOG" 642 657          # "Abbrechen"
wait_gone "Galerie erzeugen"

say "Thumbnails in the file list"
click "$MAIN" 104 342            # "Miniaturen"
sleep 3
click "$MAIN" 300 209            # bruecke.jpg, which has a title: its preview and properties
shot thumbnails "$MAIN"

say "A change, then closing: the program asks to save it"
click "$MAIN" 300 77
keys ctrl+Down
keys alt+F4
QUESTION=$(wait_window "Speichern?")
shot close-question "$QUESTION"
keys n
for _ in $(seq 50); do kill -0 "$PROGRAM_PID" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$PROGRAM_PID" 2>/dev/null; then echo "the program did not end" >&2; exit 1; fi

# --- a gallery remembered and updated in place ------------------------------------------------
say "48 photos of a journey in ~/Bilder/Reise, and their list with a title for each"
mkdir -p "$HOME/Bilder/Reise"
LIST="$HOME/Bilder/reise.csv"
printf '"Dateiname";"Pfad";"Titel";\r\n' >"$LIST"
for i in $(seq -w 1 48); do
  # Distinct pictures: a colour field of its own for each, with its number.
  convert -size 900x600 -seed "$i" plasma:fractal -blur 0x2 -gravity center -pointsize 90 \
    -fill white -annotate 0 "$i" -quality 85 "$HOME/Bilder/Reise/reise-$i.jpg"
  printf '"reise-%s.jpg";"%s/";"Unterwegs, Bild %s";\r\n' "$i" "$HOME/Bilder/Reise" "$i" >>"$LIST"
done

# start_program: the program again, its main window in MAIN.
start_program() {
  "$PROGRAM" >>"$OUT/program.log" 2>&1 &
  PROGRAM_PID=$!
  PIDS+=("$PROGRAM_PID")
  MAIN=$(wait_window "Neue Bilderliste - Vistrel - V$("$PROGRAM" --version | cut -d' ' -f2-)")
  sleep 1.5
}
# open_list: Ctrl+O, the list's path typed into the file dialog.
open_list() {
  keys ctrl+o
  wait_active_other "$MAIN" >/dev/null
  sleep 0.5
  type_text "$LIST"
  keys Return
  wait_window "reise.csv - Vistrel - V$("$PROGRAM" --version | cut -d' ' -f2-)" >/dev/null
  sleep 1.5
}
# quit_program: Ctrl+Q with the list saved; the program must end by itself.
quit_program() {
  keys ctrl+q
  for _ in $(seq 50); do kill -0 "$PROGRAM_PID" 2>/dev/null || break; sleep 0.2; done
  if kill -0 "$PROGRAM_PID" 2>/dev/null; then echo "the program did not end" >&2; exit 1; fi
}
GALLERY="$HOME/Galerien/reise"

start_program
open_list
shot journey-list "$MAIN"

say "The gallery of the 48 photos, photographed while it is made"
click "$MAIN" 138 37             # "Galerie erzeugen...": it starts from the gallery made last
DIALOG=$(wait_window "Galerie erzeugen")
sleep 1
click "$DIALOG" 289 230          # the output path
keys ctrl+a
type_text "~/Galerien/reise"
keys Return
PROGRESS=$(wait_window "Erzeuge Galerie...")
for _ in $(seq 300); do
  [ "$(find "$GALLERY" -name 'th_*' -size +0 2>/dev/null | wc -l)" -ge 6 ] && break
  sleep 0.1
done
shot journey-progress-running "$PROGRESS"
for _ in $(seq 300); do [ -e "$GALLERY/index.html" ] && break; sleep 0.2; done
sleep 1.5
shot journey-progress-done "$PROGRESS"
keys Return
wait_gone "Erzeuge Galerie..."
click "$DIALOG" 642 657          # "Abbrechen" closes the dialog; the gallery is made
wait_gone "Galerie erzeugen"
[ -e "$LIST.vistrel-galerie" ] || { echo "the list did not keep its gallery" >&2; exit 1; }
BEFORE=$(cd "$GALLERY" && find . -type f | sort)

say "A caption changed, the list saved, the program ended"
click "$MAIN" 300 77             # the first photo
shot journey-photo-selected "$MAIN"
click "$MAIN" 360 572            # its line "Titel: ..."
keys ctrl+a
type_text "Sonnenaufgang am Hafen"
keys Return
shot journey-caption "$MAIN"
keys ctrl+s
sleep 1
quit_program

say "Started again, the list opened, Galerie > Galerie aktualisieren"
start_program
open_list
click "$MAIN" 70 10              # the menu "Galerie"
sleep 0.8
shot journey-gallery-menu
keys Escape
keys ctrl+g
PROGRESS=$(wait_window "Erzeuge Galerie...")
for _ in $(seq 300); do
  grep -qs "Sonnenaufgang am Hafen" "$GALLERY"/*.html && break
  sleep 0.2
done
sleep 2
shot journey-updated "$PROGRESS"
keys Return
wait_gone "Erzeuge Galerie..."
AFTER=$(cd "$GALLERY" && find . -type f | sort)
if [ "$BEFORE" != "$AFTER" ]; then
  echo "the update changed the gallery's names:" >&2
  diff <(echo "$BEFORE") <(echo "$AFTER") >&2 || true
  exit 1
fi
grep -qs "Sonnenaufgang am Hafen" "$GALLERY"/*.html ||
  { echo "the page does not show the new caption" >&2; exit 1; }
PAGE=$(grep -ls "Sonnenaufgang am Hafen" "$GALLERY"/*.html | grep -v index.html | head -1)
if command -v chromium >/dev/null; then
  step=$((step + 1))
  chromium --headless --no-sandbox --disable-gpu --window-size=1440,900 \
    --screenshot="$(printf '%s/%02d-journey-page.png' "$OUT" "$step")" "file://${PAGE:-$GALLERY/index.html}" \
    >/dev/null 2>&1 || true
fi
quit_program

if grep -qE "ERROR: (Address|Leak)Sanitizer|runtime error:" "$OUT/program.log"; then
  echo "the program reported a sanitizer error, see $OUT/program.log" >&2
  exit 1
fi
say "Done: $step photographs in $OUT"
