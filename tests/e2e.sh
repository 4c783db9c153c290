#!/usr/bin/env bash
# The real program on a real X server, used as a person would: keys clicked
# with the mouse at the places the layout gives them, boxes answered from
# the keyboard, and the message read back through the clipboard.
# E2E_WRAPPER starts the program through another one: a tracer, or Wine.
# E2E_SHOTS, when set, is a folder for screenshots of both windows and of a
# question box.
set -euo pipefail
program=$(realpath "$1")
if [ -z "${E2E_DISPLAY_READY:-}" ]; then
    export E2E_DISPLAY_READY=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

fail() { echo "FAIL: $*" >&2; exit 1; }
window() { timeout 10 xdotool search --sync --onlyvisible --name "$1" | head -n 1; }
gone() {  # true when no visible window of that name shows up within a second
    sleep 1
    [ -z "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ]
}
# Places count from a window's client area. Under Wine without a window
# manager the X window also holds the frame Wine draws around it: its sides
# are alike and the rest is the caption above.
declare -A left top
client_area() {  # WINDOW WIDTH HEIGHT: where its client area lies, checked to be that size
    local WIDTH HEIGHT X Y SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    local side=$(((WIDTH - $2) / 2))
    left[$1]=$side top[$1]=$((HEIGHT - $3 - side))
    ((side >= 0 && side <= 8 && top[$1] >= 0 && top[$1] <= 40)) \
        || fail "a window of ${WIDTH}x$HEIGHT is no frame around a client area of $2x$3"
}
click() { xdotool mousemove --window "$1" $((${left[$1]:-0} + $2)) $((${top[$1]:-0} + $3)) click 1; sleep 0.2; }
keys() {  # the pointer goes first: under Wine without a window manager, focus follows it
    xdotool mousemove --window "$1" 2 2 windowfocus --sync "$1"
    shift
    xdotool key --delay 50 "$@"
    sleep 0.2
}
shot() { [ -z "${E2E_SHOTS:-}" ] || { mkdir -p "$E2E_SHOTS" && import -window root "$E2E_SHOTS/$1.png"; }; }
message() {  # select all in the message field and copy it out
    click "$main" 400 500
    keys "$main" ctrl+a ctrl+c
    xclip -o -selection clipboard
}
expect() {
    local got
    got=$(message)
    [ "$got" = "$1" ] || fail "message is [$got], expected [$1]"
    echo "ok: message [$1]"
}

# Places in the keyboard window, in pixels: the centres of the controls.
alpha="40 32"; beta="40 72"; separator="464 32"; custom_top="464 72"
beta_code="108 72"; custom_top_code="548 72"; clear="516 256"; help="692 172"

# The program takes no command line: the toolkit's own options must change
# nothing, neither the look, nor the caption, nor the size of the window.
scratch=$(mktemp -d)
style="$scratch/simatoplektis-e2e-style.qss"
echo '* { background: red; font-size: 40pt; }' >"$style"
${E2E_WRAPPER:-} "$program" -stylesheet "$style" -qwindowtitle Λάθος -qwindowgeometry 200x100+0+0 &
pid=$!
trap 'kill $pid 2>/dev/null || true; rm -rf "$scratch"' EXIT

helpwin=$(window '^ΒΟΗΘΕΙΑ$')
[ -n "$helpwin" ] || fail "the help window did not open"
client_area "$helpwin" 473 566
shot help
click "$helpwin" 228 528  # OK
main=$(window 'ΣΗΜΑΤΟΠΛΕΚΤΗΣ')
[ -n "$main" ] || fail "the keyboard window did not open after OK"
client_area "$main" 800 654
shot main
gone '^ΒΟΗΘΕΙΑ$' || fail "the help window stayed open"

click "$main" $alpha; click "$main" $beta; click "$main" $separator
expect ' . - / - . . . //'

# A blank key asks for its name once; named, it asks no more.
click "$main" $custom_top
dialog=$(window '^ΚΕΝΟ ΚΟΥΜΠΙ$')
[ -n "$dialog" ] || fail "the blank key did not ask for a name"
keys "$dialog" ctrl+a numbersign Return
gone '^ΚΕΝΟ ΚΟΥΜΠΙ$' || fail "the naming box did not close"
click "$main" $custom_top
gone '^ΚΕΝΟ ΚΟΥΜΠΙ$' || fail "a named key asked for its name again"
click "$main" $custom_top_code; keys "$main" y
click "$main" $custom_top
expect ' . - / - . . . //y'

# A visit to the help window keeps everything.
click "$main" $help
helpwin=$(window '^ΒΟΗΘΕΙΑ$')
gone 'ΣΗΜΑΤΟΠΛΕΚΤΗΣ' || fail "the keyboard window stayed open beside the help"
keys "$helpwin" Return
main=$(window 'ΣΗΜΑΤΟΠΛΕΚΤΗΣ')
client_area "$main" 800 654
expect ' . - / - . . . //y'

# Clear, confirmed: every code and the message go.
click "$main" $clear
box=$(window '^ΚΑΘΑΡΙΣΜΟΣ$')
[ -n "$box" ] || fail "clear did not ask first"
shot clear-box
keys "$box" Return
click "$main" $beta_code; keys "$main" Z
click "$main" $alpha; click "$main" $beta
expect 'Z'

# Esc is the exit command; confirmed, the program ends at once.
keys "$main" Escape
box=$(window '^ΕΞΟΔΟΣ$')
[ -n "$box" ] || fail "Esc did not ask to exit"
keys "$box" Return
status=0
timeout 5 tail --pid=$pid -f /dev/null || fail "the program did not end after exit"
wait $pid || status=$?
[ $status -eq 0 ] || fail "exit status $status"
trap 'rm -rf "$scratch"' EXIT
echo "ok: exit status 0"
