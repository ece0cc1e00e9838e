#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test the application,
# only those that are missing. Needs root (or sudo) when something is missing.
set -euo pipefail

packages=(
  # build
  cmake g++ make ccache pkg-config clang-format
  qt6-base-dev qt6-svg-dev qt6-translations-l10n libgl-dev qtkeychain-qt6-dev
  qt6-tools-dev qt6-documentation-tools libqt6sql6-sqlite
  fonts-liberation2
  # tests and benchmarks
  libbenchmark-dev libmuparser-dev googletest
  python3 python3-aiosmtpd locales
  xvfb xdotool xclip x11-utils imagemagick poppler-utils librsvg2-bin
  cups printer-driver-cups-pdf
  clang libclang-rt-14-dev
  desktop-file-utils appstream dpkg-dev file
  shared-mime-info xdg-utils libglib2.0-bin
  openssl ca-certificates
  # the web catalogue's test: Chromium driven by Selenium
  chromium chromium-driver python3-selenium
)
# The web catalogue's test fetches axe-core from the npm registry: with
# Debian's npm, unless the machine has an npm of its own.
command -v npm > /dev/null || packages+=(npm)

# A package counts as installed once dpkg has configured it, whatever the
# administrator wants of it later (a package on hold reads "hold ok installed")
# and even when a trigger of another package is still to run for it.
missing=()
for p in "${packages[@]}"; do
  case $(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null) in
    installed | triggers-pending | triggers-awaited) ;;
    *) missing+=("$p") ;;
  esac
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Paquets à installer : ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo > /dev/null; then
    echo "sudo n'est pas installé : en tant que root, lancer" >&2
    echo "  apt-get install ${missing[*]}" >&2
    echo "puis relancer cette commande." >&2
    exit 1
  fi
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
if [ -n "${CARTES_APT_UPDATED:-}" ] || [ "${CI:-}" = "true" ]; then :; else
  $sudo apt-get update
fi
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
