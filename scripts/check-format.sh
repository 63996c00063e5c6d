#!/usr/bin/env bash
# Fails when a tracked C++ file is not formatted as .clang-format says; prints the files to fix with
# "clang-format -i".
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if ! out=$(clang-format --dry-run --Werror "${files[@]}" 2>&1); then
  echo "$out" | grep -E '^[^ ].*(warning|error):' | cut -d: -f1 | sort -u | sed 's/^/not formatted: /'
  echo "format check: run clang-format -i on the files above"
  exit 1
fi
echo "format check: every C++ file is formatted"
