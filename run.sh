#!/usr/bin/env bash
# Installs what is missing, builds, and opens the editor (on the sample project when no picture
# is given). Extra arguments go to the program: ./run.sh photo.jpg
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/tools/install-deps.sh"
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$here/build" --target qiv-zarim-editor
[ $# -gt 0 ] || set -- "$here/build/sample/sample.png"
exec "$here/build/qiv-zarim-editor" "$@"
