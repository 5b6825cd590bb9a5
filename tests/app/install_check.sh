#!/usr/bin/env bash
# cmake --install into a temporary prefix puts the programs, a valid .desktop entry and the icons
# in place.
#   install_check.sh BUILD-DIR
set -euo pipefail
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" >/dev/null
missing=0
for f in bin/kestrel-recipe bin/kestrel-db share/applications/kestrel-recipe.desktop \
         share/icons/hicolor/scalable/apps/kestrel-recipe.svg; do
  [ -e "$prefix/$f" ] || { echo "not installed: $f"; missing=1; }
done
for size in 16 32 48 64 128 256; do
  f=share/icons/hicolor/${size}x${size}/apps/kestrel-recipe.png
  [ -s "$prefix/$f" ] || { echo "not installed: $f"; missing=1; }
done
[ -x "$prefix/bin/kestrel-recipe" ] || { echo "kestrel-recipe is not executable"; missing=1; }
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/kestrel-recipe.desktop"
fi
exit "$missing"
