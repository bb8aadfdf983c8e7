#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz and runs each one SECONDS seconds (default
# 20) on a seed corpus made by make_corpus.py, one process each, one after the other. Extra
# arguments go to every fuzzer. Without clang++ it says so and does nothing.
#   fuzz/run.sh [SECONDS] [libFuzzer options...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
if ! command -v clang++ >/dev/null; then
    echo "fuzz: clang++ not found, fuzz targets skipped"
    exit 0
fi
CC=clang CXX=clang++ cmake -S fuzz -B build-fuzz -G Ninja >/dev/null
cmake --build build-fuzz -j "$(nproc)"
corpus=build-fuzz/corpus
python3 fuzz/make_corpus.py "$corpus"
export ASAN_OPTIONS=${ASAN_OPTIONS:-allocator_may_return_null=1:detect_leaks=1}
export QT_QPA_PLATFORM=offscreen
for target in settings_reader zarm_reader map_reader template_filler data_script picture_opening; do
    mkdir -p "build-fuzz/crashes/$target"
    echo "fuzz: $target for ${seconds}s"
    log="build-fuzz/$target.log"
    status=0
    build-fuzz/fuzz_$target -max_total_time="$seconds" -timeout=10 -rss_limit_mb=3072 \
        -malloc_limit_mb=3072 -print_final_stats=1 \
        -artifact_prefix="build-fuzz/crashes/$target/" "$@" "$corpus/$target" >"$log" 2>&1 ||
        status=$?
    grep -E "^(stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY)" "$log" || true
    if [ "$status" -ne 0 ]; then
        tail -40 "$log"
        exit "$status"
    fi
done
