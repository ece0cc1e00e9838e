#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop needs:
#   bin/cartes-especes, bin/cartes-outil,
#   share/cartes-especes/ (the defaults copied to each user on first start),
#   share/applications/cartes-especes.desktop, the icon in hicolor/scalable,
#   share/metainfo/<id>.metainfo.xml,
# that desktop-file-validate and appstreamcli validate accept them, and that
# the installed program's first start fills ~/.local/share/cartes-especes
# from the defaults and writes nothing into the prefix.
# Usage: check-install.sh BUILD_DIR [WITH_APP(0|1)]
set -euo pipefail

build=$(cd "$1" && pwd)
with_app=${2:-1}
work=$(mktemp -d)
app_pid=
cleanup() {
  if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null || true; wait "$app_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
need() { [ -e "$prefix/$1" ] || fail "missing $1"; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" > "$work/install.log"

id=fr.lumisque.cartes_especes
desktop=share/applications/cartes-especes.desktop
metainfo=share/metainfo/$id.metainfo.xml
icon=share/icons/hicolor/scalable/apps/cartes-especes.svg
defaults=share/cartes-especes

need bin/cartes-outil
[ -x "$prefix/bin/cartes-outil" ] || fail "bin/cartes-outil is not executable"
need "$defaults/ESPCHIMIQUES.ZYP"
need "$defaults/PARANET.LST"
need "$metainfo"
if [ "$with_app" = 1 ]; then
  need bin/cartes-especes
  need "$desktop"
  need "$icon"
  need "$defaults/help/cartes-especes.qch"
  [ "$(head -c 15 "$prefix/$defaults/help/cartes-especes.qch")" = "SQLite format 3" ] ||
    fail "the installed help is not a compiled help file"
fi

# The bundled database is sound and not empty.
if [ -e "$prefix/$defaults/ESPCHIMIQUES.ZYP" ]; then
  "$prefix/bin/cartes-outil" check "$prefix/$defaults/ESPCHIMIQUES.ZYP" > "$work/check.log" 2>&1 ||
    fail "cartes-outil check refuses the installed database: $(cat "$work/check.log")"
  [ -s "$prefix/$defaults/ESPCHIMIQUES.ZYP" ] || fail "the installed database is empty"
fi

if [ -e "$prefix/$metainfo" ]; then
  appstreamcli validate --no-net "$prefix/$metainfo" > "$work/as.log" 2>&1 ||
    fail "appstreamcli validate: $(cat "$work/as.log")"
  grep -q "<launchable type=\"desktop-id\">cartes-especes.desktop</launchable>" "$prefix/$metainfo" ||
    fail "the metainfo does not launch cartes-especes.desktop"
fi

if [ "$with_app" = 1 ] && [ -e "$prefix/$desktop" ]; then
  desktop-file-validate "$prefix/$desktop" > "$work/dfv.log" 2>&1 ||
    fail "desktop-file-validate: $(cat "$work/dfv.log")"
  # The desktop file names what is installed: the program on PATH and the icon.
  exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$prefix/$desktop" | head -n1)
  icon_name=$(sed -n 's/^Icon=//p' "$prefix/$desktop" | head -n1)
  [ -x "$prefix/bin/$exec_name" ] || fail "Exec=$exec_name is not an installed program"
  [ -e "$prefix/share/icons/hicolor/scalable/apps/$icon_name.svg" ] ||
    fail "Icon=$icon_name is not an installed icon"
  appstreamcli validate-tree --no-net "$prefix" > "$work/tree.log" 2>&1 ||
    fail "appstreamcli validate-tree: $(cat "$work/tree.log")"
fi

# First start of the installed program with a fresh home: the per-user
# directory gets the defaults, and the prefix stays as installed.
if [ "$with_app" = 1 ] && [ -x "$prefix/bin/cartes-especes" ]; then
  (cd "$prefix" && find . -type f -print0 | sort -z | xargs -0 sha256sum) > "$work/before.sum"
  (cd "$prefix" && find . | sort) > "$work/before.list"
  home=$work/home
  mkdir -p "$home"
  userdir=$home/.local/share/cartes-especes
  env -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$home" XDG_RUNTIME_DIR="$work" \
    QT_QPA_PLATFORM=offscreen "$prefix/bin/cartes-especes" > "$work/app.log" 2>&1 &
  app_pid=$!
  # The status file is written once the window is up.
  for _ in $(seq 1 300); do
    [ -s "$userdir/TEMPO.SPC" ] && break
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
  done
  [ -s "$userdir/TEMPO.SPC" ] || fail "no TEMPO.SPC in $userdir after start-up: $(cat "$work/app.log")"
  for f in "$prefix/$defaults"/*; do
    name=$(basename "$f")
    cmp -s "$f" "$userdir/$name" || fail "$name was not copied as is into $userdir"
    [ -w "$userdir/$name" ] || fail "the copy of $name is not writable by its user"
  done
  kill "$app_pid" 2>/dev/null || true
  wait "$app_pid" 2>/dev/null || true
  app_pid=
  (cd "$prefix" && find . -type f -print0 | sort -z | xargs -0 sha256sum) > "$work/after.sum"
  (cd "$prefix" && find . | sort) > "$work/after.list"
  diff "$work/before.list" "$work/after.list" > /dev/null ||
    fail "the start created or removed installed files: $(diff "$work/before.list" "$work/after.list")"
  diff "$work/before.sum" "$work/after.sum" > /dev/null ||
    fail "the start changed installed files: $(diff "$work/before.sum" "$work/after.sum")"
fi

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "install tree OK"
