#!/usr/bin/env bash
# Runs clang-tidy (the checks in .clang-tidy) over the C++ files changed since a base revision, or over
# the files named. Needs a configured build tree with compile_commands.json (scripts/test.sh makes one).
#   scripts/tidy.sh                 files changed against origin/main, or the last commit when there is none
#   scripts/tidy.sh --base REV      files changed since REV
#   scripts/tidy.sh FILE...         just these files
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${LANSEEK_BUILD:-$here/build-tests}"
cd "$here"
[[ -f "$build/compile_commands.json" ]] || { echo "tidy: no $build/compile_commands.json; run scripts/test.sh first"; exit 2; }

files=()
if [[ "${1:-}" == "--base" ]]; then
  base="$2"
elif (($#)); then
  files=("$@")
else
  base=$(git rev-parse -q --verify origin/main || git rev-parse HEAD~1)
fi
if ((${#files[@]} == 0)); then
  mapfile -t files < <(git diff --name-only --diff-filter=AM "$base" -- 'src/*.cpp' 'tools/*.cpp' 'tests/*.cpp' 'bench/*.cpp')
fi
if ((${#files[@]} == 0)); then
  echo "tidy: no changed C++ files"
  exit 0
fi
status=0
for file in "${files[@]}"; do
  clang-tidy --quiet -p "$build" "$file" 2>/dev/null || status=1
done
exit $status
