#!/usr/bin/env bash
# Builds the program, creates the demo database and shows what is in it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build
db=build/demo-db
rm -rf "$db"
echo
echo "Creating the demo database in $db"
build/tools/kestrel-db demo "$db"
echo
echo "A few customers:"
build/tools/kestrel-db dump "$db/CUST.DB" --key 1 --limit 3 | grep -E "record|customer (number|name)|city"
echo
echo "A few items:"
build/tools/kestrel-db dump "$db/ITEM.DB" --limit 3 | grep -E "record|item number|description|brand"
echo
echo "The recipe editor arrives with a later version; the database above is ready for it."
