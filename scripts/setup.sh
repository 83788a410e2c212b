#!/usr/bin/env bash
# Installs the Debian packages Quorbel needs to build, run and test.
# Does nothing when every package is already there.
set -euo pipefail
packages=(qt6-base-dev qt6-translations-l10n zlib1g-dev libmimalloc-dev libgtest-dev libgmock-dev libbenchmark-dev
          cmake g++ make
          clang libclang-rt-14-dev
          xvfb xauth xdotool imagemagick fonts-dejavu-core openbox x11-utils
          desktop-file-utils appstream dpkg-dev
          dbus at-spi2-core python3-pyatspi gir1.2-atspi-2.0)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
