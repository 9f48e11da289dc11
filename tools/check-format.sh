#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what the repository's .clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
files=$(git ls-files '*.cpp' '*.h')
if ! out=$(echo "$files" | xargs clang-format --dry-run -Werror 2>&1); then
  echo "$out" | grep -E '^[^ ].*(error|warning):' | cut -d: -f1 | sort -u | sed 's/^/not formatted: /'
  echo "Run: git ls-files '*.cpp' '*.h' | xargs clang-format -i"
  exit 1
fi
echo "formatting: $(echo "$files" | wc -l) files checked"
