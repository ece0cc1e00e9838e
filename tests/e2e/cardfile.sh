#!/usr/bin/env bash
# The real application started with a card file named on its command line, as
# the desktop starts it from the file manager: a relative path is taken from
# the current folder, the card opens in the editor as a card outside the
# database, and closing asks "Enregistrer ?" (answered Yes with Return, so the
# card is added to the database). A missing file gives "Fichier introuvable"
# and the window goes on.
# Usage: cardfile.sh EXECUTABLE DATABASE
set -euo pipefail

exe=$1
database=$2
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=common.sh
source "$here/common.sh"
# Starts the program in folder $1 with the arguments that follow.
start() {
    local folder=$1
    shift
    (cd "$folder" && exec env -u QT_QPA_PLATFORM "$work/cartes-especes" "$@") >"$work/app.log" 2>&1 &
    app_pid=$!
}
# Waits for the program to end by itself, then checks its status.
ended() {
    for _ in $(seq 100); do
        kill -0 "$app_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$app_pid" 2>/dev/null && fail "the application did not end"
    local rc=0
    wait "$app_pid" || rc=$?
    app_pid=
    [[ $rc == 0 ]] || fail "the application ended with status $rc"
}
answer() { # waits for the box titled $1 and presses Return in it
    local box
    box=$(window "$1") || fail "no \"$1\" box"
    [[ -n $box ]] || fail "no \"$1\" box"
    xdotool windowfocus --sync "$box" key Return
}

# The database beside the executable makes that folder the application directory.
cp "$exe" "$database" "$work/"
mkdir -p "$work/classe/cartes"
"$py" - "$work/classe/cartes/soufre jaune.CAR" <<'PY'
import sys
texts = ["Carte d'identité d'une espèce chimique pour le logiciel ZYP", "e2e soufre ouvert",
         "S#8", "0100000000", "solide jaune", "256,5", "2070", "2,07", "445", "115", "", "insoluble"]
with open(sys.argv[1], "wb") as f:
    for t in texts:
        b = t.encode("cp1252")
        f.write((len(b).to_bytes(2, "little") + b).ljust(128, b"\0"))
PY
cp "$work/classe/cartes/soufre jaune.CAR" "$work/before.CAR"

start_xvfb

# A relative path, from the current folder.
start "$work/classe" "cartes/soufre jaune.CAR"
win=$(window "$title") || fail "the main window did not appear"
[[ -n $win ]] || fail "the main window did not appear"
"$py" "$here/x11close.py" "$win"
answer "Enregistrer ?"
answer "Fermer"
ended
grep -aq "e2e soufre ouvert" "$work/ESPCHIMIQUES.ZYP" ||
    fail "the card named on the command line was not opened (not saved at closing)"
cmp -s "$work/before.CAR" "$work/classe/cartes/soufre jaune.CAR" || fail "the card file was changed"

# A missing file: the message, nothing made, and the window goes on.
start "$work/classe" "absente.CAR"
answer "Fichier introuvable"
win=$(window "$title") || fail "the main window did not appear"
[[ -n $win ]] || fail "the main window did not appear"
"$py" "$here/x11close.py" "$win"
answer "Fermer"
ended
[[ ! -e $work/classe/absente.CAR ]] || fail "the missing file was made"
echo "PASS"
