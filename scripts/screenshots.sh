#!/usr/bin/env bash
# Regenerates the pictures of the users' guide and the README in docs/images/.
#   scripts/screenshots.sh [build-dir]
# Builds the program and its window tests, runs the tests that save screenshots (offscreen), draws
# the editor on the demo database, and copies the chosen pictures under stable names.
set -euo pipefail
cd "$(dirname "$0")/.."
export CCACHE_BASEDIR="$PWD"
bash scripts/deps.sh
build=${1:-build}
cmake -S . -B "$build" -G Ninja -DKR_WERROR=ON >/dev/null
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
shots="$(realpath -m "$build")/screenshots"
rm -rf "$shots"
mkdir -p "$shots"
ctest --test-dir "$build" --output-on-failure --timeout 600 \
  -R "recipe_ui|select|items|print|chart|app_startup|suite" -LE xvfb

# The editor on the demo database, in a home folder of its own so that the user's settings and
# database are never touched.
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
db="$home/Documents/Kestrel 32"
mkdir -p "$home/.config/Corvane"
"$build/tools/kestrel-db" demo "$db" >/dev/null
printf '[Profile]\nLocation=Demo\n\n[Profiles]\nNames=Demo\n\n[DemoDirectories]\nDatabaseDir=%s\n' "$db" \
  >"$home/.config/Corvane/Kestrel 32.conf"
HOME="$home" XDG_CONFIG_HOME="$home/.config" KESTREL_SCREENSHOT="$shots/editor_demo_database.png" \
  "$build/src/app/kestrel-recipe" 100210

# Picture in the guide <- screenshot the tests save.
images=(
  "editor.png:editor_demo_database.png"
  "select-profile.png:profile.png"
  "password.png:password.png"
  "select-customer.png:customer_picker.png"
  "select-recipe.png:recipe_select.png"
  "select-item.png:item_selection.png"
  "editor-override.png:recipe_after_copy.png"
  "export-save.png:export_save_as.png"
  "print-setup.png:list-print-setup-1.png"
  "print-dialog.png:print-dialog.png"
  "printed-recipe.png:recipe-page-1.png"
  "conversion-chart.png:conversion_chart_from_editor.png"
)
mkdir -p docs/images
missing=0
for pair in "${images[@]}"; do
  target=${pair%%:*}
  source=${pair#*:}
  if [ -f "$shots/$source" ]; then
    cp "$shots/$source" "docs/images/$target"
  else
    echo "missing screenshot: $shots/$source (for docs/images/$target)" >&2
    missing=1
  fi
done
[ "$missing" -eq 0 ] && echo "Pictures copied to docs/images/"
exit "$missing"
