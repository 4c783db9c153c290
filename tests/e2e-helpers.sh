# Sourced by tests/e2e.sh: how it finds, drives, photographs and checks the
# program's windows, and reads the sound server's log. Not run alone.

fail() { echo "FAIL: $*" >&2; exit 1; }
# The visible windows of that name. A window that vanishes while xdotool
# walks the tree (Wine's come and go) ends it with an X error: search again.
visible() {
    local out tries=3
    while ((tries--)); do
        if out=$(xdotool search --onlyvisible --name "$1" 2>"$scratch/xdotool.err"); then
            head -n 1 <<<"$out"
            return 0
        fi
        grep -q 'X Error' "$scratch/xdotool.err" || return 1
    done
    return 1
}
window() {  # the first visible window of that name, waited for up to ten seconds
    local deadline=$((SECONDS + 10))
    while ((SECONDS < deadline)); do
        visible "$1" && return 0
        sleep 0.1
    done
}
gone() {  # true when no visible window of that name shows up within a second
    sleep 1
    ! visible "$1" >/dev/null
}
calc() { awk "BEGIN { v = $*; printf \"%d\", v < 0 ? v - 0.5 : v + 0.5 }"; }  # rounded
# The longest the machine stood still, in ms, by a tests/stalls watcher's output.
longest_stall() { awk '$2 > m { m = $2 } END { print m + 0 }' "$1"; }
# The times the program's stream ran dry, in the sound server's log from stdin.
dry_runs() { grep -c "Implicit underrun of 'QtmPulseStream" || true; }
# Those of them that no stop of the machine explains: a stop STALLS (a
# watcher's output) saw, at least AHEAD ms long, and around the moment the
# server logged it (the log's stamper may itself wake only at the stop's
# end). Prints their count, then the moment of each (ms, the log's clock).
unexplained_dry_runs() {  # STALLS AHEAD, the log from stdin
    awk -v ahead="${2:-1000000}" 'FILENAME == ARGV[1] { if ($2 >= ahead) { n++; to[n] = $4; from[n] = $4 - $2 }; next }
        /Implicit underrun of .QtmPulseStream/ {
            ok = 0
            for (i = 1; i <= n; i++) if ($1 >= from[i] && $1 <= to[i] + 100) ok = 1
            if (!ok) at = at sprintf(" %.0f", $1)
            bad += !ok
        }
        END { print bad + 0 at }' "$1" -
}
# How far ahead of the program's stream the server holds, in ms: the
# server splits the stream's latency between its queue and the speaker,
# whose thread (a null sink, in real time) takes its whole share at once;
# a sound thread kept waiting longer than that share, less its round (10
# ms) and the server's smallest request (20 ms), leaves the speaker
# nothing, and the server says so in its log.
server_ahead() {
    local share
    share=$(awk '/Created input .*QtmPulseStream/ { q = 1 }
        q && /Received latency=/ { sub(/.*Received latency=/, ""); v = $1 + 0; q = 0 } END { print v }' "$pulse/log")
    [ -n "$share" ] || fail "the server's log gives no latency for the program's stream"
    calc "$share - 30"
}
# True when the server ran dry since byte FROM of its log, each time within
# a stop of the machine (the sound part's watcher) longer than it held ahead:
# a play broken so is the machine's, not the program's.
dry_in_stops() {  # FROM
    local n u
    n=$(tail -c +$(($1 + 1)) "$pulse/log" | dry_runs)
    u=$(tail -c +$(($1 + 1)) "$pulse/log" | unexplained_dry_runs "$scratch/stalls-sound.txt" "$(server_ahead)")
    [ "$n" -gt 0 ] && [ "${u%% *}" = 0 ]
}
# Places count from a window's client area, in the program's designed
# pixels; a window drawn at a scale has them at that scale. Under Wine
# without a window manager the X window also holds the frame Wine draws
# around it: its sides are alike and the rest is the caption above. That
# frame is measured on the help window, which every screen tested holds at
# its designed size; the keyboard window's scale then follows from its size.
declare -A left top scale
side=0 caption=0
measure_frame() {  # HELP_WINDOW
    local WIDTH HEIGHT X Y SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    side=$(((WIDTH - $(calc "473 * $dpr")) / 2))
    caption=$((HEIGHT - $(calc "566 * $dpr") - side))
    ((side >= -1 && side <= 12 && caption >= -1 && caption <= 60)) \
        || fail "a help window of ${WIDTH}x$HEIGHT is no frame around its client area"
    side=$((side < 0 ? 0 : side)) caption=$((caption < 0 ? 0 : caption))  # rounding
    left[$1]=$side top[$1]=$caption scale[$1]=$dpr
    on_screen "$1"
}
client_area() {  # WINDOW WIDTH HEIGHT: the scale its client area is drawn at, checked
    local WIDTH HEIGHT X Y SCREEN WINDOW f
    eval "$(xdotool getwindowgeometry --shell "$1")"
    f=$(awk "BEGIN { print ($WIDTH - 2 * $side) / $2 }")
    (($(calc "($HEIGHT - $caption - $side - $3 * $f) ^ 2") <= 4)) \
        || fail "a window of ${WIDTH}x$HEIGHT is no frame around a client area of $2x$3 at any scale"
    (($(calc "1000 * $f / $dpr") >= 550 && $(calc "1000 * $f / $dpr") <= 1000)) \
        || fail "drawn at $f device pixels a designed pixel on a desktop at $dpr"
    left[$1]=$side top[$1]=$caption scale[$1]=$f
    on_screen "$1"
}
on_screen() {  # WINDOW: wholly on the screen, with the window manager's frame if there is one
    local WIDTH HEIGHT X Y SCREEN WINDOW l=0 r=0 t=0 b=0 extents
    eval "$(xdotool getwindowgeometry --shell "$1")"
    # xdotool counts a window manager's frame twice in the position; xwininfo does not.
    X=$(xwininfo -id "$1" | awk '/Absolute upper-left X/ { print $NF }')
    Y=$(xwininfo -id "$1" | awk '/Absolute upper-left Y/ { print $NF }')
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | grep -o '[0-9, ]*$' || true)
    [ -z "$extents" ] || IFS=', ' read -r l r t b <<<"$extents"
    read -r sw sh < <(xdotool getdisplaygeometry)
    # Windows 10 and 11 draw no sizing border at a window's sides and foot,
    # only an invisible margin for the pointer, and Qt places windows so;
    # Wine draws that border, which may then lie off the screen.
    if [ "${E2E_WRAPPER:-}" = wine ]; then
        l=-$side r=-$side b=-$side
    fi
    ((X - l >= 0 && Y - t >= 0 && X + WIDTH + r <= sw && Y + HEIGHT + b <= sh)) \
        || fail "a window at $X,$Y ${WIDTH}x$HEIGHT (frame $l $r $t $b) is not wholly on a ${sw}x$sh screen"
}
click() {
    local f=${scale[$1]:-1}
    xdotool mousemove --window "$1" $((${left[$1]:-0} + $(calc "$2 * $f"))) $((${top[$1]:-0} + $(calc "$3 * $f"))) click 1
    sleep 0.2
}
keys() {  # the pointer goes first: under Wine without a window manager, focus follows it
    xdotool mousemove --window "$1" 2 2 windowfocus --sync "$1"
    shift
    xdotool key --delay 50 "$@"
    sleep 0.2
}
# shot NAME [WINDOW]: the screen, or one window. Grabbing the whole screen
# stops a two-core virtual machine for up to a quarter of a second; while a
# message plays, only its box is taken.
shot() { [ -z "${E2E_SHOTS:-}" ] || { mkdir -p "$E2E_SHOTS" && import -window "${2:-root}" "$E2E_SHOTS/$1.png"; }; }
shows_all() {  # BOX: no control over another nor past its edge (tests/overlaps.py)
    [ -z "${E2E_A11Y:-}" ] || "$(dirname "$0")/overlaps.py" "$(xdotool getwindowname "$1")" "$1" \
        || fail "a box does not show all it says (above)"
}
message() {  # select all in the message field and copy it out
    click "$main" 400 500
    keys "$main" ctrl+a ctrl+c
    # Plain text alone: a word processor would take a rich version first and
    # collapse the spaces in it.
    ! xclip -o -selection clipboard -t TARGETS | grep -Ei 'html|markdown|opendocument|rich' >&2 \
        || fail "the copied message is offered in the rich formats above"
    xclip -o -selection clipboard
}
# Closing a window through its frame: a window manager's close request, or
# Alt+F4 where Wine draws the frame. Without either there is no close box.
closable() { [ -n "${E2E_WM:-}" ] || [ "${E2E_WRAPPER:-}" = wine ]; }
close_window() {
    if [ -n "${E2E_WM:-}" ]; then
        wmctrl -i -c "$1"
        sleep 0.5
    else
        keys "$1" alt+F4
    fi
}
expect() {
    local got
    got=$(message)
    [ "$got" = "$1" ] || fail "message is [$got], expected [$1]"
    echo "ok: message [$1]"
}
