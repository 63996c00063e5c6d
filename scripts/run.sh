#!/usr/bin/env bash
# Installs what is missing, builds lanseek and starts it.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/deps.sh"
cmake -S "$here" -B "$here/build" -G Ninja -DLANSEEK_TESTS=OFF -DLANSEEK_BENCH=OFF >/dev/null
cmake --build "$here/build" --target lanseek
exec "$here/build/src/app/lanseek" "$@"
