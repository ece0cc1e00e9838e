# Shared by the end-to-end scripts (sourced, after they set `here`): a work
# folder removed at exit with the processes started, the failure report, the
# search for a window by its title, and an Xvfb server of our own.

py=/usr/bin/python3
title="Cartes d'identité des espèces chimiques"

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
    [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null || true
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    [[ -f $work/app.log ]] && sed 's/^/app: /' "$work/app.log" >&2
    exit 1
}
# Waits up to 10 s for a shown window whose title is exactly $1.
window() {
    local regex
    regex=$(sed 's/[][\\.*^$?+(){}|]/\\&/g' <<<"$1")
    timeout 10 xdotool search --sync --onlyvisible --name "^$regex\$" | head -1
}
# Starts Xvfb on a free display, chosen by the server, and exports DISPLAY.
start_xvfb() {
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [[ -s $work/display ]] && break
        sleep 0.1
    done
    [[ -s $work/display ]] || fail "Xvfb did not start"
    export DISPLAY=":$(cat "$work/display")"
}
