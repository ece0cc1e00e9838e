#!/usr/bin/env bash
# The real application prints through CUPS: a cups-pdf queue of the test's
# own (not the default printer) is given to the application as its printer,
# the database listing is printed from the print dialog, and the PDF that
# cups-pdf writes is read back with pdftotext. The test starts cupsd if it is
# not running, and leaves the machine as it found it: queue removed, cupsd
# stopped only if it started it. Needs root (lpadmin, cups-pdf's settings);
# otherwise, or without CUPS, it is skipped (status 77).
# Usage: cupsprint.sh EXECUTABLE CARTES_OUTIL SPECIES_CSV OUTPUT_DIR
set -euo pipefail

exe=$1
outil=$2
csv=$3
out=$4
here=$(cd "$(dirname "$0")" && pwd)
py=/usr/bin/python3

skip() {
    echo "SKIP: $*"
    exit 77
}
[[ $(id -u) == 0 ]] || skip "adding a printer queue needs root"
for tool in cupsd lpadmin lpstat pdftotext Xvfb xdotool; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (cups, poppler-utils, xvfb, xdotool)"
done
backend=/usr/lib/cups/backend/cups-pdf
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
[[ -x $backend && -f $ppd ]] || skip "cups-pdf is not installed (printer-driver-cups-pdf)"

queue="cartes-e2e-$$"
queue_conf="/etc/cups/cups-pdf-$queue.conf"
work=$(mktemp -d)
pdfdir=$(mktemp -d)
cupsd_pid=
queue_added=
xvfb_pid=
app_pid=
cleanup() {
    [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null || true
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
    if [[ -n $queue_added ]]; then
        cancel -a "$queue" 2>/dev/null || true
        lpadmin -x "$queue" 2>/dev/null || true
    fi
    rm -f "$queue_conf" "/var/log/cups/cups-pdf-${queue}_log"
    if [[ -n $cupsd_pid ]]; then
        kill "$cupsd_pid" 2>/dev/null || true
        wait "$cupsd_pid" 2>/dev/null || true
    fi
    rm -rf "$work" "$pdfdir"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    [[ -n ${DISPLAY:-} ]] && import -window root "$out/e2e-cupsprint-failure.png" 2>/dev/null || true
    [[ -f $work/app.log ]] && sed 's/^/app: /' "$work/app.log" >&2
    [[ -f $work/cupsd.log ]] && sed 's/^/cupsd: /' "$work/cupsd.log" >&2
    lpstat -W all -o "$queue" 2>/dev/null | sed 's/^/job: /' >&2 || true
    exit 1
}
# Runs "$@" every 0.2 s until it succeeds, for at most $1 seconds.
within() {
    local seconds=$1
    shift
    local end=$((SECONDS + seconds))
    until "$@"; do
        ((SECONDS < end)) || return 1
        sleep 0.2
    done
}
scheduler_running() { lpstat -r 2>/dev/null | grep -q "is running"; }
# Waits up to 10 s for a shown window whose title matches the regular
# expression $1. Titles are matched in ASCII: under a "C" locale Qt writes the
# legacy title property byte by byte.
window() { timeout 10 xdotool search --sync --onlyvisible --name "$1" | head -1; }
window_gone() { ! xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }

# The print service.
if ! scheduler_running; then
    mkdir -p /run/cups
    cupsd -f >"$work/cupsd.log" 2>&1 &
    cupsd_pid=$!
    within 20 scheduler_running || fail "cupsd did not start"
fi

# A cups-pdf queue of our own, writing into our own folder: cups-pdf reads
# the settings named after the end of its device address. The document goes
# to PostScript through Cairo, which keeps the text readable in the PDF that
# cups-pdf makes of it (Debian's advice for cups-pdf queues).
printf 'Out %s\nAnonDirName %s\n' "$pdfdir" "$pdfdir" >"$queue_conf"
lpadmin -p "$queue" -E -v "cups-pdf:/$queue" -P "$ppd" -o pdftops-renderer-default=pdftocairo \
    2>"$work/lpadmin.log" ||
    fail "lpadmin: $(cat "$work/lpadmin.log")"
queue_added=1

# The application in a folder of its own, on a database of three species.
mkdir -p "$out"
cp "$exe" "$work/"
head -n 4 "$csv" >"$work/especes.csv"
"$outil" import "$work/especes.csv" "$work/ESPCHIMIQUES.ZYP" >/dev/null ||
    fail "the database could not be built"
first=$(sed -n 2p "$work/especes.csv" | cut -d, -f1)

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
within 10 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"

# The queue is this application's default printer through CUPS's own
# variable; the machine's default printer is left alone. The system speaks
# English: the application does not.
(cd "$work" && exec env -u QT_QPA_PLATFORM -u LPDEST PRINTER="$queue" LANG=C LC_ALL=C \
    ./cartes-especes) >"$work/app.log" 2>&1 &
app_pid=$!
win=$(window "^Cartes d.identit") || true
[[ -n $win ]] || fail "the main window did not appear"

# "&Imprimer", then the whole database (the second option) and Return, which
# is the dialog's print button.
xdotool windowfocus --sync "$win" key alt+i
dialog=$(window "^Imprimer\$") || true
[[ -n $dialog ]] || fail "the print dialog did not appear"
# The keys go to the window that has the keyboard: wait until it is the dialog.
focused() { [[ $(xdotool getwindowfocus 2>/dev/null) == "$1" ]]; }
xdotool windowfocus --sync "$dialog"
within 10 focused "$dialog" || fail "the print dialog did not get the keyboard"
xdotool key Down
import -window root "$out/e2e-cupsprint-dialog.png" 2>/dev/null || true
within 10 focused "$dialog" || fail "the print dialog lost the keyboard"
xdotool key Return
within 60 window_gone "^Imprimer\$" || fail "the print dialog did not close"

# cups-pdf writes the file once the job has gone through its filters.
job_done() { [[ -z $(lpstat -W not-completed -o "$queue" 2>/dev/null) ]]; }
pdf_written() { compgen -G "$pdfdir/*.pdf" >/dev/null; }
within 60 pdf_written || fail "no PDF from the queue within 60 s"
within 60 job_done || fail "the job did not complete within 60 s"
pdf=$(compgen -G "$pdfdir/*.pdf" | head -1)
text=$(pdftotext "$pdf" -) || fail "pdftotext could not read $pdf"
for expected in "Base de données espèces chimiques" "$first" "Masse molaire" \
    "Lumisque - BORVEL - page 1"; do
    grep -qF -- "$expected" <<<"$text" || fail "\"$expected\" is not in the printed PDF:
$text"
done
cp "$pdf" "$out/e2e-cupsprint.pdf"
echo "PASS"
