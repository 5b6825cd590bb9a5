#!/usr/bin/env bash
# Fails when a C++ source differs from what clang-format makes of it. Files listed in
# scripts/format-pending.txt (drifted before the check came in) are passed over until they are
# formatted; a listed file that is already formatted is reported, so the list only shrinks.
#   scripts/format-check.sh [clang-format binary]
set -uo pipefail
cd "$(dirname "$0")/.."
format=${1:-clang-format}
if ! command -v "$format" >/dev/null; then
  echo "format-check: $format not found" >&2
  exit 2
fi
pending=scripts/format-pending.txt
status=0
while IFS= read -r file; do
  listed=0
  grep -qxF "$file" "$pending" 2>/dev/null && listed=1
  if "$format" --dry-run -Werror "$file" >/dev/null 2>&1; then
    if [ $listed = 1 ]; then
      echo "format-check: $file is formatted now; take it off $pending" >&2
      status=1
    fi
  elif [ $listed = 0 ]; then
    echo "format-check: $file is not formatted (run $format -i $file)" >&2
    status=1
  fi
done < <(git ls-files '*.cpp' '*.h' '*.hpp' '*.cc')
exit $status
