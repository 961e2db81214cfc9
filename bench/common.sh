# Shared by the benchmark scripts: the build to measure and the photo corpus.
# shellcheck shell=bash

BENCH_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BENCH_BUILD=${BENCH_BUILD:-$BENCH_ROOT/build/release}
CORPUS=${CORPUS:-/tmp/bench-corpus}
# install_packages, shared with the project's scripts.
source "$BENCH_ROOT/scripts/common.sh"

# Builds the optimised command-line program (all the benchmarks run).
bench_build() {
  cmake -S "$BENCH_ROOT" -B "$BENCH_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVISTREL_BUILD_TESTS=OFF >/dev/null
  cmake --build "$BENCH_BUILD" --target vistrel-cli >/dev/null
}

# Builds the corpus of 48 photos with the shared script when it is not there yet.
bench_corpus() {
  if [ ! -f "$CORPUS/MANIFEST.tsv" ]; then
    local maker
    for maker in "$BENCH_ROOT/../shared/bench/make-corpus.sh" "$BENCH_ROOT/bench/make-corpus.sh"; do
      [ -x "$maker" ] && break
    done
    "$maker" "$CORPUS"
  fi
}

# Wall-clock seconds of a command, with its output discarded.
bench_seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

# With BENCH_QUIET=1, and where the system lets it (root, a kernel that groups processes by
# session), the benchmark's session gets the highest scheduling priority while it runs: on a
# machine that others load, both sides of a comparison then run as on a quiet one. The priority
# is set back at the end. Prints what it did.
bench_quiet() {
  [ "${BENCH_QUIET:-0}" = 1 ] || return 0
  if echo -20 2>/dev/null >"/proc/$$/autogroup"; then
    echo "scheduling: this session first (BENCH_QUIET=1)"
  else
    echo "scheduling: BENCH_QUIET=1 not possible here, measured under the machine's load"
  fi
}
bench_unquiet() {
  [ "${BENCH_QUIET:-0}" = 1 ] && echo 0 2>/dev/null >"/proc/$$/autogroup"
  return 0
}

# What the photo benchmarks share: the optimised program, the corpus ($photos), the
# benchmarks' skin ($SKIN) with its two variants set as $SIZES (160x160 at quality 80, 1024x768
# at quality 85), and a scratch folder $WORK, removed at the end, that holds the variant cache.
bench_photo_setup() {
  bench_build
  bench_corpus
  WORK=$(mktemp -d)
  trap 'rm -rf "$WORK"; bench_unquiet' EXIT
  bench_quiet
  export XDG_CACHE_HOME=$WORK/cache
  SKIN=$BENCH_ROOT/bench/skin/bench.vsk
  photos=("$CORPUS"/p*.jpg)
  SIZES=(--size THUMB=160x160 --quality THUMB=80 --size BIG=1024x768 --quality BIG=85)
}
