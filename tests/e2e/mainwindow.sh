#!/usr/bin/env bash
# The real application under Xvfb, in an application directory of its own:
# it starts on the bundled database and writes "OUI" in the status file, takes
# a change of the aspect box, closes through its close box with the questions
# answered by the Return key, saves the card and writes "NON".
# Usage: mainwindow.sh EXECUTABLE DATABASE OUTPUT_DIR
set -euo pipefail

exe=$1
database=$2
out=$3
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=common.sh
source "$here/common.sh"
status() { "$py" "$here/records.py" "$work/TEMPO.SPC" 14; }
# Waits up to 10 s for window $1 to stand at position $2 with size $3
# ("240,212" "800x600"); prints the geometry seen last.
placed() {
    local geometry
    for _ in $(seq 100); do
        geometry=$(xdotool getwindowgeometry "$1")
        if grep -q "Position: $2\b" <<<"$geometry" && grep -q "Geometry: $3\b" <<<"$geometry"; then
            echo "$geometry"
            return 0
        fi
        sleep 0.1
    done
    echo "$geometry"
    return 1
}

# The database beside the executable makes that folder the application directory.
cp "$exe" "$database" "$work/"
mkdir -p "$out"

start_xvfb

(cd "$work" && exec env -u QT_QPA_PLATFORM ./cartes-especes) >"$work/app.log" 2>&1 &
app_pid=$!
win=$(window "$title") || fail "the main window did not appear"
[[ -n $win ]] || fail "the main window did not appear"
[[ $(status) == OUI ]] || fail "record 14 of TEMPO.SPC is '$(status)', not OUI"

# On a 1280 x 1024 screen the window is 800 x 600, centred (no window manager
# here, so no frame).
geometry=$(placed "$win" 240,212 800x600) || fail "window not centred at 800 x 600: $geometry"
# ... and comes back there after a resize or a move.
xdotool windowsize "$win" 500 400
xdotool windowmove "$win" 0 0
geometry=$(placed "$win" 240,212 800x600) || fail "window not put back: $geometry"

# Type into the aspect box (Frame1's drawing area at 18,58, Text2 at 224,144 in it).
xdotool mousemove --window "$win" 300 210 click 1
xdotool type --delay 30 " e2e"
import -window root "$out/e2e-mainwindow.png" || true

"$py" "$here/x11close.py" "$win"
box=$(window "Enregistrer ?") || fail "no \"Enregistrer ?\" question"
xdotool windowfocus --sync "$box" key Return
box=$(window "Fermer") || fail "no \"Fermer\" question"
xdotool windowfocus --sync "$box" key Return

for _ in $(seq 100); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$app_pid" 2>/dev/null && fail "the application did not end"
rc=0
wait "$app_pid" || rc=$?
app_pid=
[[ $rc == 0 ]] || fail "the application ended with status $rc"
[[ $(status) == NON ]] || fail "record 14 of TEMPO.SPC is '$(status)', not NON"
grep -aq " e2e" "$work/ESPCHIMIQUES.ZYP" || fail "the changed card was not saved"
echo "PASS"
