#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test the application,
# only those that are missing. Needs root (or sudo) when something is missing.
set -euo pipefail

packages=(
  # build
  cmake g++ make ccache pkg-config clang-format
  qt6-base-dev qt6-svg-dev qt6-translations-l10n libgl-dev qtkeychain-qt6-dev
  fonts-liberation2
  # tests and benchmarks
  libbenchmark-dev libmuparser-dev googletest
  python3 python3-aiosmtpd locales
  xvfb xdotool xclip x11-utils imagemagick poppler-utils
  cups printer-driver-cups-pdf
  clang libclang-rt-14-dev
  desktop-file-utils appstream dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Paquets à installer : ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
if [ -n "${CARTES_APT_UPDATED:-}" ] || [ "${CI:-}" = "true" ]; then :; else
  $sudo apt-get update
fi
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
