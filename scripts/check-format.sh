#!/usr/bin/env bash
# Checks that every C and C++ source follows .clang-format (fix with: scripts/check-format.sh --fix).
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.c')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i --style=file "${files[@]}"
  exit 0
fi
clang-format --dry-run --Werror --style=file "${files[@]}"
echo "format: ${#files[@]} files follow .clang-format"
