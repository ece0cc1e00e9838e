#!/usr/bin/env bash
# The Debian package end to end, as root (CI): builds a Release tree for /usr
# (build-deb/, or $CARTES_DEB_BUILD_DIR), makes the package with `cpack -G DEB`,
# installs it with apt-get, starts cartes-especes under Xvfb with a fresh home,
# checks that the per-user directory is filled from the installed defaults and
# that no installed file is written, then removes the package.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${CARTES_DEB_BUILD_DIR:-$root/build-deb}
package=cartes-especes
title="Cartes d'identité des espèces chimiques"

if [ "$(id -u)" -ne 0 ]; then
  echo "deb-smoke.sh installs a package: run it as root" >&2
  exit 1
fi
if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
  echo "$package is installed already; remove it first" >&2
  exit 1
fi

work=$(mktemp -d)
xvfb_pid=
app_pid=
installed=0
cleanup() {
  [ -n "$app_pid" ] && { kill "$app_pid" 2>/dev/null || true; wait "$app_pid" 2>/dev/null || true; }
  [ -n "$xvfb_pid" ] && { kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; }
  if [ "$installed" = 1 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get purge -y "$package" > "$work/purge.log" 2>&1 ||
      cat "$work/purge.log" >&2
  fi
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

echo "== build and package"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DBUILD_TESTING=OFF -DCARTES_BUILD_BENCH=OFF > "$work/configure.log"
cmake --build "$build" -j"$(nproc)" > "$work/build.log" 2>&1 || { tail -n 40 "$work/build.log" >&2; exit 1; }
rm -f "$build"/${package}_*.deb
(cd "$build" && cpack -G DEB > "$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; exit 1; }
deb=$(ls "$build"/${package}_*.deb)
echo "$deb"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for dep in fonts-liberation2 libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libc6; do
  grep -q "\b$dep\b" <<< "$depends" || fail "the package does not depend on $dep"
done
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' > "$work/contents"
for f in /usr/bin/cartes-especes /usr/bin/cartes-outil /usr/share/cartes-especes/ESPCHIMIQUES.ZYP \
         /usr/share/applications/cartes-especes.desktop \
         /usr/share/icons/hicolor/scalable/apps/cartes-especes.svg \
         /usr/share/mime/packages/cartes-especes.xml \
         /usr/share/metainfo/fr.lumisque.cartes_especes.metainfo.xml; do
  grep -qx "$f" "$work/contents" || fail "$f is not in the package"
done
for module in cartes-especes-reseau.so cartes-especes-aide.so; do
  grep -q "^/usr/lib/.*cartes-especes/$module\$" "$work/contents" ||
    fail "the module $module is not in the package"
done

echo "== install"
installed=1
DEBIAN_FRONTEND=noninteractive apt-get install -y "$deb" > "$work/install.log" 2>&1 ||
  { cat "$work/install.log" >&2; exit 1; }
dpkg -L "$package" | while read -r f; do [ -f "$f" ] && echo "$f"; done | sort > "$work/files"
xargs -d '\n' sha256sum < "$work/files" > "$work/before.sum"
ls -la /usr/share/cartes-especes /usr/bin > "$work/before.ls"

# The package's files in shared-mime-info's folder set off its trigger: the
# system's MIME database knows card files once the package is installed.
[ -e /usr/share/mime/application/x-cartes-especes-carte.xml ] ||
  fail "the system's MIME database has no card-file type after installation"

echo "== first start under Xvfb"
# A display that is free, given up to 30 s to answer on a loaded machine;
# another one when the server stops (its number was taken).
for _ in 1 2 3; do
  display=:$((90 + RANDOM % 100))
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 300); do
    DISPLAY=$display xdpyinfo > /dev/null 2>&1 && break 2
    kill -0 "$xvfb_pid" 2> /dev/null || break
    sleep 0.1
  done
  kill "$xvfb_pid" 2> /dev/null || true
  wait "$xvfb_pid" 2> /dev/null || true
  sed 's/^/xvfb: /' "$work/xvfb.log" >&2
done
home=$work/home
mkdir -p "$home"
userdir=$home/.local/share/cartes-especes
(cd "$home" && exec env -i PATH=/usr/bin:/bin HOME="$home" DISPLAY="$display" LANG=C.UTF-8 \
  XDG_RUNTIME_DIR="$work" cartes-especes > "$work/app.log" 2>&1) &
app_pid=$!
window=
for _ in $(seq 1 300); do
  window=$(DISPLAY=$display xdotool search --name "^$title" 2>/dev/null | head -n1 || true)
  [ -n "$window" ] && [ -s "$userdir/TEMPO.SPC" ] && break
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.1
done
[ -n "$window" ] || fail "no window titled \"$title\": $(cat "$work/app.log")"
[ -s "$userdir/TEMPO.SPC" ] || fail "no status file in $userdir"
for f in /usr/share/cartes-especes/*; do
  [ -f "$f" ] || continue # the compiled help is read where it is installed
  cmp -s "$f" "$userdir/$(basename "$f")" || fail "$(basename "$f") was not copied into $userdir"
done
# "&Aide" opens the help from its module, found where the package put it.
if [ -n "$window" ]; then
  DISPLAY=$display xdotool windowfocus --sync "$window" key alt+a > /dev/null 2>&1 || true
  help=
  for _ in $(seq 1 200); do
    help=$(DISPLAY=$display xdotool search --name "^Aide – " 2>/dev/null | head -n1 || true)
    [ -n "$help" ] && break
    sleep 0.1
  done
  [ -n "$help" ] || fail "\"&Aide\" opened no help window: $(cat "$work/app.log")"
fi
kill "$app_pid" 2>/dev/null || true
wait "$app_pid" 2>/dev/null || true
app_pid=

xargs -d '\n' sha256sum < "$work/files" > "$work/after.sum"
diff "$work/before.sum" "$work/after.sum" || fail "the start changed installed files"
ls -la /usr/share/cartes-especes /usr/bin > "$work/after.ls"
diff <(awk '{print $NF}' "$work/before.ls") <(awk '{print $NF}' "$work/after.ls") ||
  fail "the start created files in /usr/bin or /usr/share/cartes-especes"

echo "== remove"
DEBIAN_FRONTEND=noninteractive apt-get purge -y "$package" > "$work/purge.log" 2>&1 ||
  { cat "$work/purge.log" >&2; fail "apt-get purge failed"; }
installed=0
while read -r f; do
  [ -e "$f" ] && fail "$f is still there after removal"
done < "$work/files"
[ ! -e /usr/share/mime/application/x-cartes-especes-carte.xml ] ||
  fail "the card-file type stays in the system's MIME database after removal"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "package OK: $(basename "$deb")"
