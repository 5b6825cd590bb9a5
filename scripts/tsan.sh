#!/usr/bin/env bash
# The record manager's and the record files' tests under ThreadSanitizer, in build-tsan.
#   scripts/tsan.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
# ccache (when present) finds the objects of an earlier build of any clone of this tree.
export CCACHE_BASEDIR="$PWD"
build=${1:-build-tsan}
# -Wno-tsan: the fences around reading the log index mapped from other programs are no concern
# of the sanitizer, which sees only this program's threads.
cmake -S . -B "$build" -G Ninja -DKR_WERROR=ON -DCMAKE_BUILD_TYPE=Debug -DKR_BUILD_UI=OFF -DKR_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer -Wno-tsan" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" >/dev/null
tests=()
for src in tests/btrieve/test_*.cpp; do tests+=("btrieve/btrieve_$(basename "$src" .cpp)"); done
for src in tests/db/test_*.cpp; do tests+=("db/db_$(basename "$src" .cpp)"); done
cmake --build "$build" --target "${tests[@]##*/}"
# The tests fork while the record manager's idle-snapshot thread runs; each child starts its own.
export TSAN_OPTIONS="halt_on_error=1 die_after_fork=0 second_deadlock_stack=1"
export KESTREL_BUSY_TIMEOUT_MS=300
failed=0
for t in "${tests[@]}"; do
  echo "== $t"
  "$build/tests/$t" --gtest_brief=1 || failed=1
done
exit $failed
