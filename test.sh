#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the unit and window tests,
# the core tests again under AddressSanitizer and UndefinedBehaviorSanitizer, the recording
# engine's tests under ThreadSanitizer, the published page in Chromium, and a short run of the
# fuzz targets. Needs no display.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQZ_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs" --target core_tests
(cd build-asan && ctest --output-on-failure -j "$jobs")

cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQZ_TSAN=ON >/dev/null
cmake --build build-tsan -j "$jobs" --target recorder_engine_tests
(cd build-tsan && ctest --output-on-failure -j "$jobs")

fuzz/run.sh 20

if [ -f tests/page/package.json ]; then
    (cd tests/page && npm ci --no-audit --no-fund --loglevel=error && QZ_EDITOR="$PWD/../../build/qiv-zarim-editor" npm test)
fi
