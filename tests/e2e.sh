#!/usr/bin/env bash
# The real program on a real X server, used as a person would: keys clicked
# with the mouse at the places the layout gives them, boxes answered from
# the keyboard, and the message read back through the clipboard.
# E2E_WRAPPER starts the program through another one: a tracer, or Wine.
# E2E_SHOTS, when set, is a folder for screenshots of both windows and of a
# question box. E2E_SCREEN is the screen (1280x1024x24 unless given), E2E_DPR
# the desktop's scale the program is started with (QT_SCALE_FACTOR, or
# Windows' DPI), and E2E_WM a window manager to run on that screen.
# E2E_A11Y turns the program's accessibility on, and every box is checked
# through it for controls drawn over one another or past its edge.
set -euo pipefail
program=$(realpath "$1")
if [ -n "${E2E_A11Y:-}" ] && [ -z "${E2E_BUS_READY:-}" ]; then
    export E2E_BUS_READY=1
    exec dbus-run-session -- "$0" "$@"
fi
if [ -z "${E2E_DISPLAY_READY:-}" ]; then
    export E2E_DISPLAY_READY=1
    exec xvfb-run -a -s "-screen 0 ${E2E_SCREEN:-1280x1024x24}" "$0" "$@"
fi
dpr=${E2E_DPR:-1}
# E2E_SOUND: a sound server of our own, whose only speaker is recorded, and
# whose log tells when a stream ran dry.
if [ -n "${E2E_SOUND:-}" ]; then
    pulse=$(mktemp -d)
    chmod 700 "$pulse"
    c++ -std=c++20 -O2 -Wall -Wextra -Werror "$(dirname "$0")/stalls.cpp" -o "$pulse/stalls"
    # Its log's every line stamped on the clock the stall watchers keep.
    HOME="$pulse" XDG_RUNTIME_DIR="$pulse" pulseaudio -n --daemonize=no --log-level=debug --exit-idle-time=-1 --disallow-exit \
        -L "module-null-sink sink_name=rec rate=48000 channels=1" \
        -L "module-native-protocol-unix auth-anonymous=1 socket=$pulse/socket" 2>&1 | "$pulse/stalls" stamp >"$pulse/log" &
    export PULSE_SERVER=unix:$pulse/socket PULSE_COOKIE=$pulse/cookie
    for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
    # The ear is a program of the host's, whichever platform the program under test is built for.
    c++ -std=c++20 -O2 -Wall -Wextra -Werror "$(dirname "$0")/hear.cpp" -o "$pulse/hear"
    c++ -std=c++20 -O2 -Wall -Wextra -Werror "$(dirname "$0")/lamp.cpp" -lxcb -o "$pulse/lamp"
    pactl info >/dev/null || { cat "$pulse/log" >&2; echo "FAIL: no sound server" >&2; exit 1; }
fi
# The server, asked to end, still writes its runtime files while it does: a
# removal that raced it once failed a run that had passed every check.
# Waited for (5 s at most), then removed.
stop_pulse() {
    [ -n "${pulse:-}" ] || return 0
    pkill -f "socket=$pulse/socket" || true
    for _ in $(seq 50); do pgrep -f "socket=$pulse/socket" >/dev/null || break; sleep 0.1; done
    rm -rf "$pulse"
}
# The same for the scratch folder, where the program under Wine, the stall
# watchers and LibreOffice write, all asked to end just before: what is still
# written there as it is removed is said, for the next trace, and removed a
# second later.
remove_scratch() {
    rm -rf "$scratch" 2>/dev/null && return
    echo "note: still written as the scratch folder was removed: $(find "$scratch" | head -5 | tr '\n' ' ')" >&2
    sleep 1
    rm -rf "$scratch"
}
if [ -n "${E2E_WM:-}" ]; then
    "$E2E_WM" >/dev/null 2>&1 &
    sleep 1
fi
if [ -n "${E2E_A11Y:-}" ]; then
    /usr/libexec/at-spi-bus-launcher --launch-immediately 2>/dev/null &
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    sleep 0.5
fi

# shellcheck source=e2e-helpers.sh
source "$(dirname "$0")/e2e-helpers.sh"

# Places in the keyboard window, in pixels: the centres of the controls.
alpha="40 32"; beta="40 72"; omega="312 312"; separator="464 32"; custom_top="464 72"
beta_code="108 72"; custom_top_code="548 72"; clear="516 256"; help="692 172"

# The program takes no command line: the toolkit's own options must change
# nothing, neither the look, nor the caption, nor the size of the window.
scratch=$(mktemp -d)
style="$scratch/simatoplektis-e2e-style.qss"
echo '* { background: red; font-size: 40pt; }' >"$style"
# Under Wine with sound, its PulseAudio driver keeps a log of its own (see
# the plays, below), and the program's errors go there too.
launch=(${E2E_WRAPPER:-}) errors=/dev/stderr
if [ "${E2E_WRAPPER:-}" = wine ] && [ -n "${E2E_SOUND:-}" ]; then
    launch=(env WINEDEBUG=+timestamp,+pulse wine) errors="$scratch/wine.log"
fi
"${launch[@]}" "$program" -stylesheet "$style" -qwindowtitle Λάθος -qwindowgeometry 200x100+0+0 2>>"$errors" &
pid=$!
busy=()
trap 'kill $pid "${busy[@]}" ${watcher:-} 2>/dev/null || true; stop_pulse; remove_scratch' EXIT

helpwin=$(window '^ΒΟΗΘΕΙΑ$')
[ -n "$helpwin" ] || fail "the help window did not open"
measure_frame "$helpwin"
shot help
click "$helpwin" 228 528  # OK
main=$(window 'ΣΗΜΑΤΟΠΛΕΚΤΗΣ')
[ -n "$main" ] || fail "the keyboard window did not open after OK"
client_area "$main" 800 654
shot main
gone '^ΒΟΗΘΕΙΑ$' || fail "the help window stayed open"

click "$main" $alpha; click "$main" $beta; click "$main" $separator
expect ' . - / - . . . //'
# Nothing of the sound is loaded before it is asked for (Ctrl+M, below).
sound_libraries='libQt6Multimedia|libpulse|libsimatoplektis-sound'
[ "${E2E_WRAPPER:-}" = wine ] || ! grep -qE "$sound_libraries" "/proc/$pid/maps" \
    || fail "the program started with sound libraries loaded: $(grep -oE "[^/]*($sound_libraries)[^ ]*" "/proc/$pid/maps" | sort -u)"

# No close box loses the message: the keyboard window's asks Έξοδος's question.
if closable; then
    close_window "$main"
    box=$(window '^ΕΞΟΔΟΣ$')
    [ -n "$box" ] || fail "closing the keyboard window did not ask first"
    shows_all "$box"
    keys "$box" Escape
    gone '^ΕΞΟΔΟΣ$' || fail "the exit question stayed open"
    expect ' . - / - . . . //'
fi

# A blank key asks for its name once; named, it asks no more.
click "$main" $custom_top
dialog=$(window '^ΚΕΝΟ ΚΟΥΜΠΙ$')
[ -n "$dialog" ] || fail "the blank key did not ask for a name"
shows_all "$dialog"
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
if closable; then
    close_window "$helpwin"  # brings the keyboard window back, as OK does
else
    keys "$helpwin" Return
fi
main=$(window 'ΣΗΜΑΤΟΠΛΕΚΤΗΣ')
[ -n "$main" ] || fail "the keyboard window did not come back"
client_area "$main" 800 654
expect ' . - / - . . . //y'

write_text() {  # TEXT [SHOT]: the message emptied, then TEXT written with Ctrl+T
    click "$main" 400 500
    keys "$main" ctrl+a Delete ctrl+t
    box=$(window '^ΚΩΔΙΚΟΠΟΙΗΣΗ$')
    [ -n "$box" ] || fail "Ctrl+T opened no box"
    printf '%s' "$1" | xclip -selection clipboard -i
    keys "$box" ctrl+v
    [ -z "${2:-}" ] || shot "$2"
    shows_all "$box"
    keys "$box" ctrl+Return
    gone '^ΚΩΔΙΚΟΠΟΙΗΣΗ$' || fail "Ctrl+Enter did not close the write box"
}
read_back() {  # SHOT: Ctrl+R, and what its box shows copied into $reading; the box stays open as $box
    keys "$main" ctrl+r
    box=$(window '^ΑΠΟΚΩΔΙΚΟΠΟΙΗΣΗ$')
    [ -n "$box" ] || fail "Ctrl+R opened no box"
    shot "$1"
    shows_all "$box"
    keys "$box" ctrl+a ctrl+c
    reading=$(xclip -o -selection clipboard)
}

# A whole text at once: Ctrl+T writes it from the clipboard, Ctrl+R reads the
# message back, Ctrl+Shift+C copies the key table.
keys "$main" ctrl+t
box=$(window '^ΚΩΔΙΚΟΠΟΙΗΣΗ$')
[ -n "$box" ] || fail "Ctrl+T opened no box"
printf 'Καλή επιτυχία' | xclip -selection clipboard -i
shot write-box-empty
keys "$box" ctrl+v
shot write-box
keys "$box" ctrl+Return
gone '^ΚΩΔΙΚΟΠΟΙΗΣΗ$' || fail "Ctrl+Enter did not close the write box"
expect ' . - / - . . . //y - . - / . - / . - . . / . . . . // . / . - - . / . . / - / - . - - / - - - - / . . / . - /'
read_back read-box
[ "$reading" = 'ΑΒ #ΚΑΛΗ ΕΠΙΤΥΧΙΑ' ] || fail "read back as [$reading]"
keys "$box" Return
gone '^ΑΠΟΚΩΔΙΚΟΠΟΙΗΣΗ$' || fail "Enter did not close the read box"
echo "ok: written and read back [$reading]"
keys "$main" ctrl+shift+c
table=$(xclip -o -selection clipboard)
[ "$(head -n 3 <<<"$table")" = "$(printf 'Α\t . - /\nΒ\t - . . . /\nΓ\t -   - . /')" ] \
    && grep -qx "$(printf '#\ty')" <<<"$table" || fail "the key table reads [$table]"
echo "ok: the key table"

# Morse written the common way, pasted in from elsewhere, reads back too.
printf '%s' '--. . .. .- / ... .- ...' | xclip -selection clipboard -i
click "$main" 400 500
keys "$main" ctrl+a ctrl+v
read_back read-box-symbols
[ "$reading" = 'ΓΕΙΑ ΣΑΣ' ] || fail "pasted Morse read back as [$reading]"
keys "$box" ctrl+Return
gone '^ΑΠΟΚΩΔΙΚΟΠΟΙΗΣΗ$' || fail "Ctrl+Enter did not close the read box"
echo "ok: pasted Morse read back [$reading]"

# A clue with a time and a sign: Morse has them, and reads them back.
clue='Στις 9:30 στο πηγάδι!'
write_text "$clue" write-box-clue
expect ' . . . / - / . . / . . . // - - - - . / - - - . . . / . . . - - / - - - - - // . . . / - / - - - // . - - . / . . . . / -   - . / . - / - . . / . . / - . - . - - /'
read_back read-box-clue
[ "$reading" = 'ΣΤΙΣ 9:30 ΣΤΟ ΠΗΓΑΔΙ!' ] || fail "the clue read back as [$reading]"
keys "$box" Escape
gone '^ΑΠΟΚΩΔΙΚΟΠΟΙΗΣΗ$' || fail "Esc did not close the read box"
echo "ok: a clue with digits and signs written and read back [$reading]"

# The notes at their longest: the write box's two, and a table typed by
# hand that leaves many lines out, with long codes, in the codes box.
if [ -n "${E2E_A11Y:-}" ]; then
    keys "$main" ctrl+t
    box=$(window '^ΚΩΔΙΚΟΠΟΙΗΣΗ$')
    printf 'Καλή KALH επιτυχία ☺ € ¤ ♣ ♦' | xclip -selection clipboard -i
    keys "$box" ctrl+v
    shot write-box-notes
    shows_all "$box"
    keys "$box" Escape
    gone '^ΚΩΔΙΚΟΠΟΙΗΣΗ$' || fail "Esc did not close the write box"
    table="Πίνακας κωδικών για το νυχτερινό παιχνίδι της ομάδας"$'\n'"Γράμμα | Κωδικός"
    for letter in Α Β Γ Δ Ε Ζ Η Θ Ι Κ Λ Μ Ν Ξ Ο Π Ρ Σ Τ Υ Φ Χ Ψ Ω; do
        table+=$'\n'"$letter - .-.-.-.-.-.-.-.-.-.-.-.-.-.-$letter"
    done
    for line in $(seq 12); do
        table+=$'\n'"Σημείωση $line: ο αρχηγός κρατά το αντίγραφο του πίνακα στον φάκελο"
    done
    printf '%s' "$table" | xclip -selection clipboard -i
    keys "$main" ctrl+k
    box=$(window '^ΚΩΔΙΚΕΣ$')
    keys "$box" End Tab ctrl+v
    shot codes-box-table
    shows_all "$box"
    keys "$box" Escape
    gone '^ΚΩΔΙΚΕΣ$' || fail "Esc did not close the codes box"
    keys "$main" ctrl+m
    box=$(window '^ΑΚΡΟΑΣΗ$')
    shows_all "$box"
    keys "$box" Escape
    gone '^ΑΚΡΟΑΣΗ$' || fail "Esc did not close the listening box"
fi

# Another code from the codes box, and Morse back again.
click "$main" 400 500
keys "$main" ctrl+a Delete ctrl+k
box=$(window '^ΚΩΔΙΚΕΣ$')
[ -n "$box" ] || fail "Ctrl+K opened no box"
keys "$box" Down Down Down Down Down Down Down
shot codes-box-braille  # its cells must be drawn, in the faces of every platform
keys "$box" Down  # the pigpen, its key drawn as taught
shot codes-box-pigpen
keys "$box" Down  # the clock faces, from the program's own face
shot codes-box-clock
keys "$box" Up Up Up Up
shot codes-box
shows_all "$box"
keys "$box" ctrl+Return
gone '^ΚΩΔΙΚΕΣ$' || fail "Ctrl+Enter did not close the codes box"
click "$main" $alpha; click "$main" $omega
expect '11 54 '
keys "$main" ctrl+k
box=$(window '^ΚΩΔΙΚΕΣ$')
keys "$box" Home ctrl+Return
gone '^ΚΩΔΙΚΕΣ$' || fail "the codes box stayed open"
click "$main" $alpha
expect '11 54  . - /'

# A table typed by hand between sentences: they are text whatever their
# first word, and codes that start with a dash load whole. Prose alone is no
# table: the box says so and stays open. Then Morse again.
printf 'Ο κώδικας της νύχτας\nΤ -\nΜ --\nΟ ---\nΗ ομάδα των Αετών θα το βρει.\n' | xclip -selection clipboard -i
keys "$main" ctrl+k
box=$(window '^ΚΩΔΙΚΕΣ$')
keys "$box" End Tab ctrl+a ctrl+v ctrl+Return
gone '^ΚΩΔΙΚΕΣ$' || fail "the table between sentences did not load"
write_text 'ΤΜΟΗ'
expect '------ . . . . /'
printf 'Ο αρχηγός σας περιμένει.' | xclip -selection clipboard -i
keys "$main" ctrl+k
box=$(window '^ΚΩΔΙΚΕΣ$')
keys "$box" End Tab ctrl+a ctrl+v ctrl+Return
! gone '^ΚΩΔΙΚΕΣ$' || fail "a paste of prose loaded as a table"
shot codes-box-prose
keys "$box" shift+Tab Home ctrl+Return
gone '^ΚΩΔΙΚΕΣ$' || fail "Morse did not load again"
echo "ok: a table between sentences loaded, prose refused"

# The pigpen out to a word processor: a clue written in it and copied, the
# copy's HTML taken in by LibreOffice Writer as its paste takes HTML, made a
# PDF and turned into pixels. Each symbol on the page must be, of the 24 the
# program's own face draws, the closest to the letter written. Then Morse.
if [ -n "${E2E_PICTURES:-}" ]; then
    keys "$main" ctrl+k
    box=$(window '^ΚΩΔΙΚΕΣ$')
    keys "$box" Home Down Down Down Down Down Down Down Down ctrl+Return
    gone '^ΚΩΔΙΚΕΣ$' || fail "the pigpen did not load"
    write_text 'Καλή επιτυχία ψω'
    shot pigpen-message
    click "$main" 400 500
    keys "$main" ctrl+a ctrl+c
    pigpen() { for i; do [ "$i" = - ] && printf ' ' || printf "\\xee\\x80\\x$(printf %02x $((0x80 + i)))"; done; }
    written=(9 0 10 6 - 4 15 8 18 19 21 8 0 - 22 23)
    [ "$(xclip -o -selection clipboard)" = "$(pigpen "${written[@]}")" ] || fail "the pigpen clue's plain text is not its symbols"
    xclip -o -selection clipboard -t text/html >"$scratch/clue.html" || fail "the pigpen clue was copied without HTML"
    (cd "$scratch" && HOME="$scratch" timeout 60 soffice --headless --infilter="HTML (StarWriter)" \
        --convert-to pdf:writer_pdf_Export clue.html >/dev/null 2>&1) || fail "Writer did not take the copied clue"
    pdftoppm -r 150 -gray -singlefile "$scratch/clue.pdf" "$scratch/page"
    convert "$scratch/page.pgm" -trim +repage "$scratch/line.pgm"
    # A symbol as 16 x 16 greys, trimmed to its ink: "x0 x1" of IMAGE, or all of it.
    shape() { convert "$1" ${2:+-crop $(($3 - $2 + 1))x1000+$2+0} +repage -trim +repage -resize '16x16!' \
        -depth 8 -compress none pgm:- | tail -n +4 | tr -s ' \n' '  '; echo; }
    # The symbols of the line: runs of columns with ink.
    columns=$(convert "$scratch/line.pgm" -threshold 50% -negate -scale "$(identify -format %w "$scratch/line.pgm")x1!" \
        -compress none pgm:- | tail -n +4 | tr -s ' \n' '\n' | grep -v '^$')
    runs=$(awk '{ if ($1 > 0 && !on) { start = NR - 1; on = 1 } else if ($1 == 0 && on) { print start, NR - 2; on = 0 } }
        END { if (on) print start, NR - 1 }' <<<"$columns")
    : >"$scratch/drawn"
    for i in $(seq 0 23); do
        convert -background white -fill black -font "$E2E_PICTURES" -pointsize 60 label:"$(pigpen $i)" "$scratch/glyph.pgm"
        shape "$scratch/glyph.pgm" >>"$scratch/drawn"
    done
    on_page=$(while read -r x0 x1; do shape "$scratch/line.pgm" "$x0" "$x1"; done <<<"$runs" | awk '
        NR == FNR { for (i = 1; i <= NF; ++i) glyph[FNR - 1, i] = $i; next }
        { best = -1; for (g = 0; g < 24; ++g) { d = 0; for (i = 1; i <= NF; ++i) d += ($i - glyph[g, i]) ^ 2
              if (best < 0 || d < least) { best = g; least = d } }
          printf "%s%d", sep, best; sep = " " }' "$scratch/drawn" -)
    [ "$on_page" = "$(tr -d '-' <<<"${written[*]}" | tr -s ' ')" ] \
        || fail "Writer's page shows the pigpen symbols [$on_page], written [${written[*]}]"
    echo "ok: the pigpen clue copied into Writer, each symbol drawn: [$on_page]"
    # And copied as one picture, for a chat: the message's context menu, its
    # fourth command from the foot (then Κώδικες…, Ακρόαση…, Ανάγνωση…).
    xdotool mousemove --window "$main" 400 500 click 3
    sleep 0.5
    xdotool key --delay 100 Up Up Up Up Return
    sleep 0.5
    # Wine's bridge to the X clipboard lists a PNG but makes none: what it
    # hands on is the device-independent bitmap a Windows program takes.
    if [ "${E2E_WRAPPER:-}" = wine ]; then
        xclip -o -selection clipboard -t image/bmp | convert bmp:- "$scratch/clue.png" || fail "no picture was copied"
    else
        xclip -o -selection clipboard -t image/png >"$scratch/clue.png" 2>/dev/null || fail "no picture was copied"
    fi
    size=$(identify -format '%w %h' "$scratch/clue.png") || fail "the copied picture is no PNG"
    inked=$(convert "$scratch/clue.png" -trim -format '%w %h' info:)
    # As big as what is written: the ink fills it but for its margins.
    [ $((${inked% *} * 10)) -ge $((${size% *} * 7)) ] && [ $((${inked#* } * 4)) -ge ${size#* } ] \
        || fail "the copied picture ($size) is mostly empty (ink $inked)"
    # Printed at the resolution it gives, it fits an A5 page's text (128 mm)
    # with its letters at 18 pt (twice the screen's 96 dots an inch).
    dpi=$(identify -units PixelsPerInch -format '%x' "$scratch/clue.png")
    awk -v w="${size% *}" -v dpi="$dpi" 'BEGIN { exit !(dpi > 190 && dpi < 194 && w / dpi * 25.4 <= 128) }' \
        || fail "printed, the copied picture ($size at $dpi dots an inch) is not 18 pt on an A5 page"
    echo "ok: the pigpen clue copied as a picture, $size pixels, ink $inked, printed $(calc "${size% *} / $dpi * 25.4") mm wide"
    keys "$main" ctrl+k
    box=$(window '^ΚΩΔΙΚΕΣ$')
    keys "$box" Home ctrl+Return
    gone '^ΚΩΔΙΚΕΣ$' || fail "Morse did not load again after the pigpen"
fi

# The message heard: played through the sound server, recorded from its
# speaker, and written down again by ear (tests/hear).
if [ -n "${E2E_SOUND:-}" ]; then
    # shellcheck source=e2e-sound.sh
    source "$(dirname "$0")/e2e-sound.sh"
fi

# Clear, confirmed: every code and the message go.
click "$main" $clear
box=$(window '^ΚΑΘΑΡΙΣΜΟΣ$')
[ -n "$box" ] || fail "clear did not ask first"
shot clear-box
shows_all "$box"
keys "$box" Return
click "$main" $beta_code; keys "$main" Z
click "$main" $alpha; click "$main" $beta
expect 'Z'

# Esc is the exit command, and so is the close box; confirmed, the program
# ends at once.
if closable; then
    close_window "$main"
else
    keys "$main" Escape
fi
box=$(window '^ΕΞΟΔΟΣ$')
[ -n "$box" ] || fail "no exit question"
keys "$box" Return
ended() {
    local status=0
    timeout 5 tail --pid=$pid -f /dev/null || fail "the program did not end $1"
    wait $pid || status=$?
    [ $status -eq 0 ] || fail "exit status $status $1"
    echo "ok: exit status 0 $1"
}
ended "after the exit question"

# At the very start, with no message yet, the help window's close box ends it.
if closable; then
    "${launch[@]}" "$program" 2>>"$errors" &
    pid=$!
    window '^ΒΟΗΘΕΙΑ$' >/dev/null
    # Found again once settled: a window is placed anew once its frame is
    # known, and under Wine the first one found may be gone by then.
    sleep 1
    helpwin=$(window '^ΒΟΗΘΕΙΑ$')
    [ -n "$helpwin" ] || fail "the help window did not open"
    close_window "$helpwin"
    ended "after the help window was closed at the start"
fi
trap 'stop_pulse; remove_scratch' EXIT
