#!/usr/bin/env bash
# Time and peak memory of vistrel-cli on image lists of many rows: does a list cost its size?
#
# Usage: bench/list_rows.sh [--against OTHER_VISTREL_CLI] [ROWS_SMALL ROWS_LARGE]
#        (default rows: 200000 800000)
# Writes two image lists of ordinary rows (file name, folder and two short properties; the
# photos do not exist, as in a list moved from another machine) and runs vistrel-cli generate
# on each with two skins: "standard", the shipped skin with four image variants (every photo
# then fails), and "eine", a skin without variants whose one page lists every image. Prints per
# skin and list the rows, the file's size, the wall time, the peak memory (maximum resident
# set), and then the ratios large/small. Targets: time grows linearly (the large list, four
# times the rows, takes at most 4.5 times as long) and the peak stays under 20 times the file's
# size plus 100 MB. With --against, every run is made with the other program as well, one
# after the other, so both are measured under the same load (printed first).
set -euo pipefail
source "$(dirname "$0")/common.sh"
install_packages bc time
OTHER=
if [ "${1:-}" = --against ]; then
  OTHER=$2
  shift 2
fi
SMALL=${1:-200000}
LARGE=${2:-800000}
bench_build

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export XDG_CACHE_HOME=$WORK/cache
mkdir -p "$WORK/skin-eine"
printf '[General]\nSkinName=eine\n[CSV]\nHTMLPatterns=p.csv\nImageModification=v.csv\nRequiredVars=r.csv\n' >"$WORK/skin-eine/s.vsk"
printf '"NAME";"DESCRIPTION";"DEFAULTMAXWIDTH";"DEFAULTMAXHEIGHT";"NEWNAME";\r\n' >"$WORK/skin-eine/v.csv"
printf '"VARIABLENAME";"DESCRIPTION";"TYPE";"DEFAULTVALUE";\r\n' >"$WORK/skin-eine/r.csv"
printf '"FILENAME";"NAME";"NEWFILENAME";\r\n"t.tpl";"alle";"alle.html";\r\n' >"$WORK/skin-eine/p.csv"
printf '[VTL] NEWSECTION NUMREPEAT:0\n%%FNAME_NO_PATH%% %%Titel%%\n[VTL] ENDSECTION\n' >"$WORK/skin-eine/t.tpl"
declare -A SKINS=([standard]=$BENCH_ROOT/skins/standard/standard.vsk [eine]=$WORK/skin-eine/s.vsk)

# list ROWS: an image list of ROWS rows.
list() {
  {
    printf '"Dateiname";"Pfad";"Titel";"Ort";\r\n'
    awk -v n="$1" 'BEGIN { for (i = 1; i <= n; i++)
      printf "\"b%07d.jpg\";\"/nicht/da/\";\"Bild %d\";\"See\";\r\n", i, i }'
  } >"$WORK/list-$1.csv"
}
list "$SMALL"
list "$LARGE"

# measure PROGRAM SKIN ROWS: "seconds peak_kb" of one run.
measure() {
  rm -rf "$WORK/out"
  /usr/bin/time -f '%e %M' -o "$WORK/time" "$1" generate --skin "${SKINS[$2]}" \
    --out "$WORK/out" --list "$WORK/list-$3.csv" >/dev/null 2>&1 || true
  tail -n 1 "$WORK/time"  # after "Command exited with non-zero status" when every photo failed
}

printf 'load average: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
programs=("$BENCH_BUILD/vistrel-cli")
[ -n "$OTHER" ] && programs+=("$OTHER")
printf '%-8s %-10s %8s %9s %8s %8s  %s\n' skin program rows bytes seconds 'peak MB' 'peak / file'
for skin in standard eine; do
  declare -A seconds=() peak=()
  for rows in "$SMALL" "$LARGE"; do
    for p in "${!programs[@]}"; do
      read -r s kb < <(measure "${programs[$p]}" "$skin" "$rows")
      seconds[$p,$rows]=$s
      peak[$p,$rows]=$kb
      bytes=$(stat -c %s "$WORK/list-$rows.csv")
      name=$([ "$p" = 0 ] && echo this || echo other)
      printf '%-8s %-10s %8d %9d %8.2f %8d  %5.1f x\n' "$skin" "$name" "$rows" "$bytes" "$s" \
        $((kb / 1024)) "$(echo "$kb * 1024 / $bytes" | bc -l)"
    done
  done
  for p in "${!programs[@]}"; do
    name=$([ "$p" = 0 ] && echo this || echo other)
    large_bytes=$(stat -c %s "$WORK/list-$LARGE.csv")
    budget=$(((20 * large_bytes + 100 * 1048576) / 1024))
    printf '%-8s %-10s %dx rows: %.2fx time (target <= 4.5), peak %d MB of %d MB allowed\n' \
      "$skin" "$name" $((LARGE / SMALL)) \
      "$(echo "${seconds[$p,$LARGE]} / ${seconds[$p,$SMALL]}" | bc -l)" \
      $((peak[$p,$LARGE] / 1024)) $((budget / 1024))
  done
  unset seconds peak
done
printf 'load average: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
