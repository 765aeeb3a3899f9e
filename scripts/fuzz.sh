#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer (into build-san, or $GLYPHON_SAN_BUILD_DIR) and
# runs each for SECONDS (default 60), from its seeds in tests/fuzz/<target>/.
# Prints each target's runs; exits non-zero on any finding, whose input is
# kept in the build folder's fuzz-findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build="${GLYPHON_SAN_BUILD_DIR:-build-san}"
top="$PWD"
source scripts/sanitize.env

targets=()
for source in tests/fuzz/fuzz_*.cpp; do
    name="$(basename "$source" .cpp)"
    [ "$name" = fuzz_support ] || targets+=("$name")
done

scripts/configure-san.sh "$build"
mkdir -p "$build"
if ! nice -n 10 cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" >"$build/fuzz-build.log" 2>&1; then
    tail -40 "$build/fuzz-build.log"
    exit 2
fi

status=0
for name in "${targets[@]}"; do
    # Absolute: a target may change its working folder before reading them.
    corpus="$(realpath -m "$build/fuzz-corpus/$name")"
    findings="$(realpath -m "$build/fuzz-findings/$name")"
    mkdir -p "$corpus" "$findings"
    seeds=()
    [ -d "tests/fuzz/$name" ] && seeds=("$top/tests/fuzz/$name")
    dict=()
    [ -f "tests/fuzz/$name.dict" ] && dict=("-dict=$top/tests/fuzz/$name.dict")
    # Extra libFuzzer flags of a target, one a line; "#" starts a comment.
    options=()
    if [ -f "tests/fuzz/$name.options" ]; then
        while read -r flag; do
            [ -n "$flag" ] && options+=("$flag")
        done < <(sed 's/#.*//' "tests/fuzz/$name.options")
    fi
    log="$build/fuzz-findings/$name.log"
    set +e
    "$build/tests/fuzz/$name" -max_total_time="$seconds" -print_final_stats=1 -timeout=20 -rss_limit_mb=3072 \
        -artifact_prefix="$findings/" "${dict[@]}" "${options[@]}" "$corpus" "${seeds[@]}" >"$log" 2>&1
    rc=$?
    set -e
    runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)"
    rate="$(grep -o 'exec/s: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*$' || true)"
    if [ $rc -eq 0 ]; then
        echo "$name: ${runs:-?} runs in ${seconds} s (${rate:-?}/s), no finding"
    else
        echo "$name: FINDING after ${runs:-?} runs (exit $rc); see $log and $findings/"
        grep -m5 -E 'ERROR|runtime error|invariant broken|SUMMARY' "$log" || tail -20 "$log"
        status=1
    fi
done
exit $status
