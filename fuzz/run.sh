#!/usr/bin/env bash
# Builds the interchange fuzz target with clang (libFuzzer, AddressSanitizer, UBSan) and runs it
# for a bounded time per reloadable file, seeded with the demo downloads.
#   fuzz/run.sh [seconds per file]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
out=$(pwd)/build-fuzz
mkdir -p "$out"
if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ is missing (scripts/deps.sh installs it as root)" >&2
  exit 1
fi
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -Isrc -Isrc/db $(pkg-config --cflags libpq) fuzz/fuzz_import.cpp src/btrieve/*.cpp src/db/*.cpp \
  -lsqlite3 $(pkg-config --libs libpq) -o "$out/fuzz_import"
export ASAN_OPTIONS=detect_leaks=0
declare -A seeds=([ITEM.DB]=items.txt [ITEMUNIT.DB]=units.txt [CUST.DB]=customers.txt [VELOCITY.DB]=history.txt
                  [CONTROL.DB]=control.txt [ITEMDICT.DB]=dictionary.txt [ITEMLKUP.DB]=lookup.txt
                  [MNPRICE.DB]=quotes.txt)
for file in "${!seeds[@]}"; do
  corpus="$out/corpus-$file"
  mkdir -p "$corpus"
  # Seeds: a version byte and the first lines of the demo download.
  printf '\x0f' > "$corpus/seed-new"
  head -n 3 "data/demo/${seeds[$file]}" >> "$corpus/seed-new"
  printf '\x07' > "$corpus/seed-old"
  head -n 2 "data/demo/${seeds[$file]}" >> "$corpus/seed-old"
  # The same lines as the suite's Windows side writes them, ending in CR LF.
  printf '\x0f' > "$corpus/seed-crlf"
  head -n 3 "data/demo/${seeds[$file]}" | sed 's/$/\r/' >> "$corpus/seed-crlf"
  echo "fuzz: $file for ${seconds}s"
  KR_FUZZ_FILE="$file" "$out/fuzz_import" -max_total_time="$seconds" -max_len=4096 -print_final_stats=0 \
    "$corpus" > "$out/log-$file" 2>&1 || { tail -n 30 "$out/log-$file"; exit 1; }
  tail -n 1 "$out/log-$file"
done
