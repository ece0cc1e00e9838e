#!/usr/bin/env bash
# On a machine where every package of scripts/install-deps.sh is installed (as
# here, once the script has run), the script must finish without calling
# apt-get or sudo: a user without sudo rights can then build and run.
# Usage: deps-installed.sh SOURCE_DIR
set -euo pipefail
src=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for tool in sudo apt-get; do
  printf '#!/bin/sh\necho "%s $*" >> "%s/called"\nexit 1\n' "$tool" "$work" > "$work/$tool"
  chmod +x "$work/$tool"
done

if ! PATH="$work:$PATH" bash "$src/scripts/install-deps.sh" > "$work/out" 2>&1; then
  echo "FAIL: install-deps.sh failed with every package installed:" >&2
  cat "$work/out" >&2
  exit 1
fi
if [ -e "$work/called" ]; then
  echo "FAIL: install-deps.sh called a package tool with every package installed:" >&2
  cat "$work/called" "$work/out" >&2
  exit 1
fi
echo "install-deps.sh: nothing to install, no package tool called"
