#!/usr/bin/env bash
# Runs every benchmark that has been built and prints its figures. Needs a display for the window
# benchmarks; runs them under xvfb-run when none is set.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-$here/build-tests}"
run() { echo "== $*"; "$@"; echo; }
wrap=()
[[ -n "${DISPLAY:-}" ]] || wrap=(xvfb-run -a -s "-screen 0 1280x1024x24")

if [[ -x "$build/bench/app/bench_startup" && -x "$build/src/app/lanseek" ]]; then
  run "${wrap[@]}" "$build/bench/app/bench_startup" "$build/src/app/lanseek" "$build/bench/app/bench_bare_window" 9
fi
for exe in $(find "$build/bench" -path '*/CMakeFiles' -prune -o -type f -executable -print |
             grep -v -E '/(bench_startup|bench_bare_window)$' | sort); do
  run "${wrap[@]}" "$exe"
done
