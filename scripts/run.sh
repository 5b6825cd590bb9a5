#!/usr/bin/env bash
# Builds the program and opens the recipe editor on the demo database in the per-user folder.
#   scripts/run.sh [customer-number]      (default 100210, a demo customer with recipes)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target kestrel-recipe kestrel-db
customer=${1:-100210}

# The per-user database folder, as the program finds it: the documents folder of the XDG user
# directories (or ~/Documents), then "Kestrel 32".
config=${XDG_CONFIG_HOME:-$HOME/.config}
docs=$HOME/Documents
if [ -f "$config/user-dirs.dirs" ]; then
  line=$(grep -E '^XDG_DOCUMENTS_DIR=' "$config/user-dirs.dirs" | tail -n 1 || true)
  if [ -n "$line" ]; then
    value=${line#XDG_DOCUMENTS_DIR=}
    value=${value%\"}
    value=${value#\"}
    docs=${value/\$HOME/$HOME}
  fi
fi
db="$docs/Kestrel 32"

# Existing data is never touched: the demo only goes into a folder without record files.
shopt -s nullglob nocaseglob
existing=("$db"/*.db)
shopt -u nullglob nocaseglob
if [ ${#existing[@]} -eq 0 ]; then
  echo "Creating the demo database in $db"
  build/tools/kestrel-db demo "$db"
else
  echo "Using the database in $db (${#existing[@]} record files; left as they are)"
fi

# A stored profile makes start-up use the per-user folder without asking.
settings="$config/Corvane/Kestrel 32.conf"
mkdir -p "$config/Corvane"
touch "$settings"
if ! grep -q '^\[Profile\]' "$settings"; then
  printf '\n[Profile]\nLocation=Demo\n' >>"$settings"
  grep -q '^\[Profiles\]' "$settings" || printf '\n[Profiles]\nNames=Demo\n' >>"$settings"
  grep -q '^\[DemoDirectories\]' "$settings" || printf '\n[DemoDirectories]\nDatabaseDir=%s\n' "$db" >>"$settings"
  echo "Stored the profile \"Demo\" in $settings"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): drawing the editor into"
  echo "build/kestrel-recipe.png instead."
  QT_QPA_PLATFORM=offscreen KESTREL_SCREENSHOT="$PWD/build/kestrel-recipe.png" \
    build/src/app/kestrel-recipe "$customer"
  echo "Wrote build/kestrel-recipe.png"
else
  echo "Opening the recipe editor for customer $customer"
  exec build/src/app/kestrel-recipe "$customer"
fi
