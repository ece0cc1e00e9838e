#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop needs:
#   bin/cartes-especes, bin/cartes-outil, the program's modules in lib,
#   share/cartes-especes/ (the defaults copied to each user on first start),
#   share/applications/cartes-especes.desktop, the icon in hicolor/scalable,
#   share/metainfo/<id>.metainfo.xml, share/mime/packages/cartes-especes.xml,
# that desktop-file-validate and appstreamcli validate accept them, that once
# the MIME and desktop caches are built (as Debian's triggers do) xdg-mime
# gives card files their type and the program as their default, and that
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
mimexml=share/mime/packages/cartes-especes.xml
cardtype=application/x-cartes-especes-carte
defaults=share/cartes-especes

need bin/cartes-outil
[ -x "$prefix/bin/cartes-outil" ] || fail "bin/cartes-outil is not executable"
need "$defaults/ESPCHIMIQUES.ZYP"
need "$defaults/PARANET.LST"
need "$metainfo"
if [ "$with_app" = 1 ]; then
  need bin/cartes-especes
  # The network windows and the help, loaded by the program when first opened.
  modules=$(cd "$prefix" && find . -path '*/cartes-especes/cartes-especes-reseau.so' | head -1)
  if [ -z "$modules" ]; then
    fail "missing the network module (lib.../cartes-especes/cartes-especes-reseau.so)"
  else
    [ -e "$prefix/$(dirname "$modules")/cartes-especes-aide.so" ] || fail "missing the help module"
  fi
  need "$desktop"
  need "$icon"
  need "$defaults/help/cartes-especes.qch"
  [ "$(head -c 15 "$prefix/$defaults/help/cartes-especes.qch")" = "SQLite format 3" ] ||
    fail "the installed help is not a compiled help file"
  need "$mimexml"
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

# Card files from the file manager. The caches are built in the prefix as the
# package's triggers build them in /usr/share; xdg-mime is asked as a GNOME
# desktop asks (through gio, which reads those caches), with nothing but the
# prefix among the data folders.
card_record() { # text in Windows-1252 (as printf escapes) -> one 128-byte record
  local text
  text=$(printf "$1"; echo x)
  text=${text%x}
  printf "\\x$(printf %02x ${#text})\\x00"
  printf '%s' "$text"
  head -c $((126 - ${#text})) /dev/zero
}
make_card() { # path: a card file, header and eleven short fields
  (
    export LC_ALL=C # lengths in bytes
    card_record "Carte d'identit\xe9 d'une esp\xe8ce chimique pour le logiciel ZYP"
    card_record 'eau'
    card_record 'H#2O'
    card_record '0110000000'
    for _ in 1 2 3 4 5 6 7 8; do card_record ''; done
  ) > "$1"
}
if [ "$with_app" = 1 ] && [ -e "$prefix/$mimexml" ] && [ -e "$prefix/$desktop" ]; then
  update-mime-database "$prefix/share/mime" > "$work/umd.log" 2>&1 ||
    fail "update-mime-database refuses the type: $(cat "$work/umd.log")"
  update-desktop-database "$prefix/share/applications" > "$work/udd.log" 2>&1 ||
    fail "update-desktop-database: $(cat "$work/udd.log")"
  grep -qx "MimeType=.*$cardtype;.*" "$prefix/$desktop" || fail "the desktop file does not name $cardtype"
  grep -Eq '^Exec=[^ ]+ .*%[fF]' "$prefix/$desktop" || fail "the desktop file's Exec takes no file"
  files=$work/files
  mkdir -p "$files"
  make_card "$files/eau.CAR"
  [ "$(stat -c %s "$files/eau.CAR")" = 1536 ] || fail "the sample card file is not 1536 bytes"
  cp "$files/eau.CAR" "$files/eau.car"
  cp "$files/eau.CAR" "$files/EAU.Car"
  cp "$files/eau.CAR" "$files/carte sans extension"
  printf 'Carte de visite\n' > "$files/visite.txt"
  # The first bytes of a card file's header but not the whole header.
  head -c 40 "$files/eau.CAR" > "$files/entete-tronquee"
  head -c 1536 /dev/zero > "$files/zeros"
  xdg() { env XDG_CURRENT_DESKTOP=GNOME XDG_DATA_DIRS="$prefix/share" XDG_DATA_HOME="$work/nohome" \
    XDG_CONFIG_HOME="$work/noconfig" XDG_CONFIG_DIRS="$work/noconfig" xdg-mime "$@" 2>&1; }
  while IFS='|' read -r name expected; do
    got=$(xdg query filetype "$files/$name")
    if [ "$expected" = card ]; then
      [ "$got" = "$cardtype" ] || fail "xdg-mime gives '$got' for '$name', not $cardtype"
    else
      [ "$got" != "$cardtype" ] || fail "xdg-mime takes '$name' ($expected) for a card file"
    fi
  done <<'TABLE'
eau.CAR|card
eau.car|card
EAU.Car|card
carte sans extension|card
visite.txt|text
entete-tronquee|truncated header
zeros|zeros
TABLE
  got=$(xdg query default "$cardtype")
  [ "$got" = cartes-especes.desktop ] || fail "xdg-mime gives '$got' as the program for card files"
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
  # The files at the top of the defaults' folder are each user's; folders
  # there (the compiled help) are read where they are installed.
  for f in "$prefix/$defaults"/*; do
    [ -f "$f" ] || continue
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
