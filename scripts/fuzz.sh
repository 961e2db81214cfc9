#!/usr/bin/env bash
# Runs one fuzz target with libFuzzer for a while and says what it found.
#
# Usage: scripts/fuzz.sh TARGET SECONDS
#   TARGET   template, csv, skin, jpeg, metadata, captions or naming (tests/fuzz/TARGET_fuzz.cpp)
# Builds the target with clang (-fsanitize=fuzzer,address,undefined) in build/fuzz, then
# fuzzes it starting from its seeds (tests/fuzz/seeds/TARGET, and the shipped skins for the
# template and skin readers), keeping what it learns in out/fuzz/TARGET/corpus. A crash, leak
# or hang is written to out/fuzz/TARGET/findings/; once it is fixed, copy the file to
# tests/fuzz/findings/TARGET/ so the test suite replays it from then on.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
TARGET=${1:?usage: scripts/fuzz.sh TARGET SECONDS}
SECONDS_TO_RUN=${2:?usage: scripts/fuzz.sh TARGET SECONDS}
[ -f "tests/fuzz/${TARGET}_fuzz.cpp" ] || { echo "fuzz.sh: no target $TARGET" >&2; exit 2; }
install_packages "${VISTREL_PACKAGES[@]}" clang libclang-rt-14-dev

BUILD=${BUILD_DIR:-build/fuzz}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVISTREL_FUZZ=ON -DVISTREL_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD" --target "${TARGET}_fuzz"

WORK=out/fuzz/$TARGET
mkdir -p "$WORK/corpus" "$WORK/findings"
seeds=(tests/fuzz/seeds/"$TARGET")
[ -d tests/fuzz/findings/"$TARGET" ] && seeds+=(tests/fuzz/findings/"$TARGET")
case $TARGET in template | skin) seeds+=(skins) ;; esac
dict=()
[ -f tests/fuzz/"$TARGET".dict ] && dict=(-dict=tests/fuzz/"$TARGET".dict)

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
status=0
"$BUILD/tests/fuzz/${TARGET}_fuzz" -max_total_time="$SECONDS_TO_RUN" -timeout=10 -rss_limit_mb=2048 \
  -max_len=65536 -print_final_stats=1 -artifact_prefix="$WORK/findings/" "${dict[@]}" \
  "$WORK/corpus" "${seeds[@]}" 2>"$WORK/log.txt" || status=$?
grep -E '^#[0-9]+[[:space:]]+(DONE|INITED)|^stat::(number_of_executed_units|peak_rss_mb)|^Done ' "$WORK/log.txt" || true
echo "corpus: $(ls "$WORK/corpus" | wc -l) inputs in $WORK/corpus"
findings=$(ls "$WORK/findings" | wc -l)
echo "findings: $findings in $WORK/findings (log: $WORK/log.txt)"
exit $status
