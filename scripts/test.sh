#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/deps.sh" --tests
cmake -S "$here" -B "$here/build-tests" -G Ninja -DLANSEEK_TESTS=ON -DLANSEEK_BENCH=ON \
  -DLANSEEK_WERROR="${LANSEEK_WERROR:-OFF}" >/dev/null
cmake --build "$here/build-tests"
cd "$here/build-tests"
# Tests that need a real X server (window shapes, screenshots) find one here; the rest run offscreen.
exec xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j2 --timeout 300
