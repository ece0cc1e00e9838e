#!/usr/bin/env bash
# Takes the screenshots of the help and the course (listed in
# data/help/captures.txt) from the real application under Xvfb, on a fresh
# copy of the bundled database, and writes them into data/help/images/.
# Usage: scripts/make-captures.sh [BUILD_DIR] [NAME...]
#   BUILD_DIR  a configured and built tree (default build/); only the named
#              pictures are taken when names are given.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
shift || true
only=("$@")
exe=$build/src/app/cartes-especes
tool=$build/tools/cartes-outil
out=$root/data/help/images
title="Cartes d'identité des espèces chimiques"
for f in "$exe" "$tool" "$build/data/ESPCHIMIQUES.ZYP" "$build/data/PARANET.LST"; do
    [[ -e $f ]] || { echo "Manque $f : construire d'abord (cmake --build $build)" >&2; exit 1; }
done

work=$(mktemp -d)
xvfb_pid=
app_pid=
http_pid=
cleanup() {
    stop_app
    [[ -n $http_pid ]] && kill "$http_pid" 2>/dev/null || true
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "ÉCHEC : $*" >&2
    [[ -f $work/app.log ]] && sed 's/^/app: /' "$work/app.log" >&2
    exit 1
}
wanted() {
    [[ ${#only[@]} -eq 0 ]] && return 0
    local n
    for n in "${only[@]}"; do [[ $n == "$1" || $n == "$1.png" ]] && return 0; done
    return 1
}

# A free display of 1024 x 768: the main window is 800 x 600, centred.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    sleep 0.1
done
[[ -s $work/display ]] || fail "Xvfb n'a pas démarré"
export DISPLAY=":$(cat "$work/display")"

# Waits up to 10 s for a shown window whose title is exactly $1.
window() {
    local regex
    regex=$(sed 's/[][\\.*^$?+(){}|]/\\&/g' <<<"$1")
    timeout 10 xdotool search --sync --onlyvisible --name "^$regex\$" | head -1
}
# Waits until the window $1 stops changing (two equal pictures in a row), so
# that a picture is taken once the application has painted what it was asked.
settled() {
    local before after
    before=$(import -window "$1" rgb:- 2>/dev/null | md5sum)
    for _ in $(seq 50); do
        sleep 0.1
        after=$(import -window "$1" rgb:- 2>/dev/null | md5sum)
        [[ $after == "$before" ]] && return 0
        before=$after
    done
}

# The application in a folder of its own holding the database $1 (default:
# the bundled one) and the installed PARANET.LST (or $2), with settings of its
# own: the pictograms' style $3 ("orange", the default, or "sgh") and no
# keyring, so that nothing of the user's own settings shows.
app_dir=
start_app() {
    stop_app
    app_dir=$work/app-$RANDOM
    mkdir -p "$app_dir/config/cartes-especes"
    printf '[carte]\npictogrammes=%s\n' "${3:-orange}" \
        >"$app_dir/config/cartes-especes/cartes-especes.conf"
    cp "$exe" "$build"/src/app/cartes-especes-*.so "$app_dir/"
    cp "${1:-$build/data/ESPCHIMIQUES.ZYP}" "$app_dir/ESPCHIMIQUES.ZYP"
    cp "$build/data/PARANET.LST" "$app_dir/"
    [[ -n ${2:-} ]] && cp "$2" "$app_dir/PARANET.LST"
    [[ -d $build/src/app/help ]] && cp -r "$build/src/app/help" "$app_dir/"
    (cd "$app_dir" && exec env -u QT_QPA_PLATFORM -u DBUS_SESSION_BUS_ADDRESS \
        XDG_CACHE_HOME="$work/cache" XDG_CONFIG_HOME="$app_dir/config" \
        XDG_DATA_HOME="$app_dir/data" HOME="$app_dir" ./cartes-especes) >"$work/app.log" 2>&1 &
    app_pid=$!
    win=$(window "$title") || fail "la fenêtre principale n'est pas apparue"
    [[ -n $win ]] || fail "la fenêtre principale n'est pas apparue"
    # The window's place on the screen: the offsets of every click below.
    eval "$(xdotool getwindowgeometry --shell "$win")"
    wx=$X
    wy=$Y
    settled "$win"
}
stop_app() {
    if [[ -n $app_pid ]]; then
        kill "$app_pid" 2>/dev/null || true
        wait "$app_pid" 2>/dev/null || true
        app_pid=
    fi
}
# Clicks at ($1, $2) in main window pixels.
click() {
    xdotool mousemove $((wx + $1)) $((wy + $2)) click 1
}
# The card of the species named $1, chosen with the search field under the
# list: its name typed there without accents (the search ignores them, and
# xdotool types plain letters without remapping the keyboard), Entrée shows
# the first species kept, Échap gives back the whole list with that species in
# view. The list's own type-ahead is not used: it finds rows by their first
# letters only while the keys come within 0.4 s of each other, and a lost "é"
# left "Méthanol" on the first species in M, "Magnésium". The name is checked
# first against the database the application reads ($2, default the bundled
# one): it must be the first species the typed text keeps.
show_species() {
    local query
    query=$(search_query "$1" "${2:-$build/data/ESPCHIMIQUES.ZYP}") || exit 1
    click 638 534 # the search field, under the list
    sleep 0.3
    xdotool type --delay 60 "$query"
    sleep 0.5
    xdotool key Return
    settled "$win"
    xdotool key Escape
    settled "$win"
}
# What to type in the search field to show the species named $1 of the
# database $2 first, as the application folds names and formulas (lower
# case, no accents, no formula markers).
search_query() {
    "$tool" export "$2" >"$work/search.csv"
    /usr/bin/python3 - "$1" "$work/search.csv" <<'PY'
import csv, sys, unicodedata
def fold(text):
    text = unicodedata.normalize("NFKD", text.lower().replace("œ", "oe").replace("æ", "ae"))
    text = "".join(c for c in text if not unicodedata.combining(c) and c not in "#*")
    return " ".join(text.split())
name, query = sys.argv[1], fold(sys.argv[1])
rows = [r for r in csv.reader(open(sys.argv[2], encoding="utf-8")) if len(r) > 1]
kept = sorted((fold(r[0]), r[0]) for r in rows[1:] if query in fold(r[0]) or query in fold(r[1]))
if not query.isascii() or not kept or kept[0][1] != name:
    sys.exit(f"ÉCHEC : « {query} » ne montre pas d'abord « {name} » : {[k[1] for k in kept]}")
print(query)
PY
}
# Saves the part ($3 x $4 at $1, $2, window pixels) of the screen as $5.
shot() {
    local name=$5
    import -window root -crop "$3x$4+$((wx + $1))+$((wy + $2))" +repage \
        -strip -define png:compression-level=9 "$out/$name"
    echo "$name"
}
# The card panel alone, with its shadow.
card_shot() { shot 14 54 472 496 "$1"; }

mkdir -p "$out"
# The pictures as they were, so that one retaken unchanged is left as it was.
mkdir -p "$work/before"
cp "$out"/*.png "$work/before/" 2>/dev/null || true

if wanted fenetre-principale; then
    start_app
    shot 0 0 800 600 fenetre-principale.png
fi

# Card panels: the species, in the orange squares unless the name says
# "-clp" (the CLP diamonds, chosen in the card's menu and kept in the settings).
declare -A species=(
    [carte-eau]="Eau"
    [carte-ion-sulfate]="Ion sulfate"
    [carte-ammoniac]="Ammoniac"
    [carte-methanol]="Méthanol"
    [carte-methanol-clp]="Méthanol"
    [carte-sulfate-cuivre]="Sulfate de cuivre (II) anhydre"
    [carte-sulfate-cuivre-clp]="Sulfate de cuivre (II) anhydre"
)
for name in carte-eau carte-ion-sulfate carte-ammoniac carte-methanol carte-methanol-clp \
    carte-sulfate-cuivre carte-sulfate-cuivre-clp; do
    wanted "$name" || continue
    style=orange
    [[ $name == *-clp ]] && style=sgh
    start_app "" "" "$style"
    show_species "${species[$name]}"
    card_shot "$name.png"
done

if wanted grandeur-en-saisie; then
    start_app
    show_species "Éthanol"
    # The molar mass box, then the end of its text.
    click $((16 + 2 + 300)) $((56 + 2 + 206))
    xdotool key End
    settled "$win"
    card_shot grandeur-en-saisie.png
fi

if wanted formule-edition; then
    start_app
    click 68 16 # "&Nouveau"
    settled "$win"
    click $((16 + 2 + 150)) $((56 + 2 + 37)) # the formula band
    xdotool type --delay 80 "SO"
    click $((152 + 16 + 20)) $((112 + 32 + 12)) # "Indice"
    xdotool type --delay 80 "4"
    click $((152 + 16 + 20)) $((112 + 8 + 12)) # "Exposant"
    xdotool type --delay 80 "2-"
    settled "$win"
    shot 0 50 500 140 formule-edition.png
fi

if wanted carte-verrouillee; then
    # The bundled database with the lock set on "Eau".
    "$tool" export "$build/data/ESPCHIMIQUES.ZYP" >"$work/especes.csv"
    sed -i 's/^Eau,H#2O,0100000000,/Eau,H#2O,0100000001,/' "$work/especes.csv"
    rm -f "$work/locked.ZYP"
    "$tool" import "$work/especes.csv" "$work/locked.ZYP" >/dev/null
    start_app "$work/locked.ZYP"
    show_species "Eau" "$work/locked.ZYP"
    card_shot carte-verrouillee.png
fi

if wanted message-enregistrer; then
    start_app
    show_species "Eau"
    click $((16 + 2 + 224 + 200)) $((56 + 2 + 144 + 30)) # the aspect box
    xdotool key End type "."
    click 640 160 # another species of the list
    box=$(window "Enregistrer ?") || fail "pas de question « Enregistrer ? »"
    settled "$box"
    shot 0 0 800 600 message-enregistrer.png
fi

if wanted liste-criteres || wanted liste-densite; then
    start_app
    if wanted liste-criteres; then
        click 700 114 # the drop-down list
        sleep 0.5
        settled "$win"
        shot 490 50 310 550 liste-criteres.png
        xdotool key Escape
    fi
    if wanted liste-densite; then
        click 700 114
        sleep 0.3
        # "Densité" is the second criterion.
        xdotool key Home Down Return
        settled "$win"
        shot 490 50 310 550 liste-densite.png
    fi
fi

if wanted dialogue-imprimer; then
    start_app
    show_species "Eau"
    click 722 16 # "&Imprimer"
    dlg=$(window "Imprimer") || fail "pas de fenêtre « Imprimer »"
    settled "$dlg"
    shot 0 0 800 600 dialogue-imprimer.png
fi

if wanted calculatrice; then
    start_app
    click 331 42 # "&Calculatrice"
    calc=$(window "Machine à calculer") || fail "pas de machine à calculer"
    # Keys sent before the window is drawn and has the focus are lost (a lost
    # "2*" showed 17.008).
    settled "$calc"
    xdotool windowfocus --sync "$calc"
    xdotool type --delay 80 "2*1.008+16"
    xdotool key Return
    settled "$calc"
    import -window "$calc" -strip -define png:compression-level=9 "$out/calculatrice.png"
    echo calculatrice.png
fi

# PARANET.LST with the mail fields of a teacher (records 3 to 5), and the
# address of the download list ($1, record 8) when given.
paranet() {
    /usr/bin/python3 - "$build/data/PARANET.LST" "$work/PARANET.LST" "${1:-}" <<'PY'
import sys
data = bytearray(open(sys.argv[1], "rb").read())
fields = {3: "Mme Martin, lycée Pasteur", 4: "c.martin@lycee-pasteur.example.fr",
          5: "smtp.lycee-pasteur.example.fr:587"}
if sys.argv[3]:
    fields[8] = sys.argv[3]
for n, text in fields.items():
    raw = text.encode("cp1252")
    record = len(raw).to_bytes(2, "little") + raw
    record += bytes(128 - len(record))
    offset = (n - 1) * 128
    if len(data) < offset + 128:
        data += bytes(offset + 128 - len(data))
    data[offset:offset + 128] = record
open(sys.argv[2], "wb").write(bytes(data))
PY
}

if wanted exporter || wanted parametres; then
    paranet
    start_app "" "$work/PARANET.LST"
    show_species "Eau"
    click 77 42 # "E&xporter"
    exp=$(window "Publier cette carte sur le serveur") || fail "pas de fenêtre de publication"
    eval "$(xdotool getwindowgeometry --shell "$exp")"
    xdotool mousemove $((X + 100)) $((Y + 96)) click 1
    xdotool type --delay 60 "Valeurs du Handbook"
    settled "$exp"
    if wanted exporter; then
        import -window "$exp" -strip -define png:compression-level=9 "$out/exporter.png"
        echo exporter.png
    fi
    if wanted parametres; then
        xdotool mousemove $((X + 258)) $((Y + 222)) click 1 # "Paramètres"
        par=$(window "Paramètres") || fail "pas de fenêtre « Paramètres »"
        settled "$par"
        # The login the server asks for: "Utilisateur" and "Mot de passe".
        eval "$(xdotool getwindowgeometry --shell "$par")"
        xdotool mousemove $((X + 330)) $((Y + 124)) click 1
        xdotool type --delay 60 "c.martin"
        xdotool mousemove $((X + 330)) $((Y + 152)) click 1
        xdotool type --delay 60 "motdepasse"
        settled "$par"
        import -window "$par" -strip -define png:compression-level=9 "$out/parametres.png"
        echo parametres.png
    fi
fi

if wanted telecharger; then
    # Three cards of the bundled database as card files (header, then the
    # eleven fields), offered with their list by a web server on loopback.
    srv=$work/serveur
    mkdir -p "$srv"
    "$tool" export "$build/data/ESPCHIMIQUES.ZYP" >"$work/especes.csv"
    /usr/bin/python3 - "$work/especes.csv" "$srv" <<'PY'
import csv, sys
header = "Carte d'identité d'une espèce chimique pour le logiciel ZYP"
wanted = {"Eau": "eau.CAR", "Éthanol": "ethanol.CAR", "Chlorure de sodium": "chlorure-de-sodium.CAR"}
def record(text):
    raw = text.encode("cp1252")
    return (len(raw).to_bytes(2, "little") + raw).ljust(128, b"\0")
for row in csv.reader(open(sys.argv[1], encoding="utf-8")):
    if row and row[0] in wanted:
        with open(f"{sys.argv[2]}/{wanted[row[0]]}", "wb") as f:
            f.write(record(header) + b"".join(record(t) for t in row[:11]))
PY
    cat >"$srv/listec.txt" <<'TXT'
eau.CAR;Mme Martin, lycée Pasteur;Valeurs du Handbook
ethanol.CAR;M. Durand, collège Jean Moulin;Fiche INRS et Handbook
chlorure-de-sodium.CAR;Mme Martin, lycée Pasteur;Sel de cuisine
TXT
    port=$((20000 + RANDOM % 20000))
    "$tool" listec "$srv" "http://127.0.0.1:$port" -o "$srv/LISTEC.ZYP" >/dev/null
    (cd "$srv" && exec /usr/bin/python3 -m http.server --bind 127.0.0.1 "$port") \
        >"$work/http.log" 2>&1 &
    http_pid=$!
    for _ in $(seq 50); do
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
        sleep 0.1
    done
    paranet "http://127.0.0.1:$port/LISTEC.ZYP"
    start_app "" "$work/PARANET.LST"
    click 204 42 # "I&mporter"
    ftp=$(window "Télécharger des cartes") || fail "pas de fenêtre de téléchargement"
    sleep 1
    settled "$ftp"
    import -window "$ftp" -strip -define png:compression-level=9 "$out/telecharger.png"
    echo telecharger.png
    kill "$http_pid" 2>/dev/null || true
fi

if wanted fermer; then
    start_app
    click 712 42 # "&Fermer"
    box=$(window "Fermer") || fail "pas de question « Fermer »"
    settled "$box"
    shot 0 0 800 600 fermer.png
    xdotool key Return
fi

stop_app

# The pictures of this run in 256 colours: a third of the size, the same look.
find "$out" -name '*.png' -newer "$work/display" -print0 |
    while IFS= read -r -d '' f; do
        convert "$f" -dither None -colors 256 -define png:compression-level=9 "PNG8:$f"
        b=$work/before/$(basename "$f")
        if [[ -f $b ]] && [[ $(compare -metric AE "$b" "$f" null: 2>&1) == 0 ]]; then
            cp "$b" "$f"
        fi
    done
