#!/usr/bin/env bash
# Installs the Debian packages the build needs, when missing and when run as root.
set -euo pipefail
pkgs=(build-essential cmake ninja-build pkg-config libsqlite3-dev libgtest-dev libgmock-dev
      libbenchmark-dev qt6-base-dev libgl-dev fonts-dejavu-core clang libclang-rt-14-dev libsodium-dev xvfb xauth x11-utils poppler-utils desktop-file-utils postgresql libpq-dev)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
  else
    echo "Missing Debian packages (install them as root): ${missing[*]}" >&2
    exit 1
  fi
fi
