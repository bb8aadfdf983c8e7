#!/usr/bin/env bash
# Installs what is missing, builds, and opens the editor (on the sample project when no picture
# is given). Extra arguments go to the program: ./run.sh photo.jpg
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target qiv-zarim-editor
exec build/qiv-zarim-editor "$@"
