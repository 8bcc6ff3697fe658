#!/usr/bin/env bash
# Takes the pictures of the user's guide under a virtual X server with a
# small window manager, driving the program with the keyboard and mouse as a
# person would, and writes them into docs/ (or the folder given):
#
#   screenshot-main.png           examples/demo.ini opened fresh, no stored layout
#   port-font-12/20/32.png        a port window at those font sizes
#   setup-<kind>.png              the nine port setup dialogs, adding a port
#   setup-connected-edit.png      a connected port's setup
#   routes.png, connect-script.png, font.png, about.png
#   filters.png, help.png         a port's filters, Help Topics
#   first-start.png               the program started without a setup
#   tiled.png, minimised.png      Window > Tile; a port window minimised
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=${1:-$root/docs}
build_dir=${BUILD_DIR:-build}
program=$root/$build_dir/bin/spotweaver

need=()
command -v Xvfb >/dev/null || need+=(xvfb)
command -v xdotool >/dev/null || need+=(xdotool)
command -v import >/dev/null || need+=(imagemagick)
command -v jwm >/dev/null || need+=(jwm)
[ -d /usr/share/icons/Tango ] || need+=(tango-icon-theme)
if [ "${#need[@]}" -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
[ -x "$program" ] || { echo "screenshots: build the program first" >&2; exit 1; }

work=$(mktemp -d)
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x860x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display XDG_CONFIG_HOME=$work/config
sleep 1
jwm >/dev/null 2>&1 &
wm=$!
# A window mapped while the window manager starts up may stay unmapped.
sleep 1
gui=
cleanup() {
    [ -n "$gui" ] && kill "$gui" 2>/dev/null || true
    kill "$wm" "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$out"

# Starts the program with the given arguments in the work folder and waits for
# its main window.
start() {
    (cd "$work" && exec "$program" "$@") >/dev/null 2>&1 &
    gui=$!
    for _ in $(seq 1 50); do
        if xdotool search --onlyvisible --name '^Spotweaver' >/dev/null 2>&1; then
            sleep 1.5
            return 0
        fi
        sleep 0.2
    done
    echo "screenshots: the window did not appear" >&2
    exit 1
}
stop() {
    kill "$gui" 2>/dev/null || true
    wait "$gui" 2>/dev/null || true
    gui=
}
frame() { xdotool search --onlyvisible --name '^Spotweaver' | head -1; }
# The window in front (a dialog, or the main window), with its frame.
shoot() {
    sleep 1
    import -frame -window "$(xdotool getactivewindow)" "$out/$1"
    echo "screenshots: $out/$1"
}
# The main window with its frame: the program only, no desktop behind it.
shoot_screen() {
    sleep 1
    import -frame -window "$(frame)" "$out/$1"
    echo "screenshots: $out/$1"
}
keys() {
    for k in "$@"; do
        xdotool key --clearmodifiers "$k"
        sleep 0.4
    done
}
# Chooses entry n (0 = ALL) of the port selector, found on the toolbar.
select_port() {
    local win
    win=$(frame)
    xdotool mousemove --window "$win" "$SELECTOR_X" "$SELECTOR_Y" click 1
    sleep 0.5
    keys Home
    for _ in $(seq 1 "$1"); do keys Down; done
    keys Return
}
# Where the selector sits: after the menu bar, right of the standard toolbar.
SELECTOR_X=${SELECTOR_X:-265}
SELECTOR_Y=${SELECTOR_Y:-32}
# The main window at the top left, as large as the screen leaves room for.
place() {
    xdotool windowmove "$(frame)" 0 0 windowsize "$(frame)" 1240 780
    sleep 1
}

# The main window with examples/demo.ini, which stores no window layout.
cp examples/demo.ini examples/demo-spots.txt "$work/"
start demo.ini
place
shoot_screen screenshot-main.png
stop

# One port window at three font sizes: NODE of examples/gui-demo.ini
# maximised, after a cluster feed sent it the demo spots, with a line typed.
feed() {
    for _ in $(seq 1 40); do
        if exec 3<>/dev/tcp/127.0.0.1/7373; then
            while IFS= read -r line; do printf '%s\r\n' "$line" >&3; done <examples/demo-spots.txt
            return 0
        fi
        sleep 0.25
    done 2>/dev/null
    return 1
}
node_section=$(grep -n '^PortName=NODE$' examples/gui-demo.ini | cut -d: -f1)
for size in 12 20 32; do
    sed -e "s/^FontSize=.*/FontSize=-$size/" \
        -e "$((node_section + 4))s/^showCmd=1$/showCmd=3/" examples/gui-demo.ini >"$work/font.ini"
    start font.ini /START
    place
    feed || echo "screenshots: the NODE port never listened" >&2
    xdotool type --delay 30 "sh/dx 20 gjpqy"
    shoot_screen "port-font-$size.png"
    exec 3>&- || true
    stop
done

# The first start, then the nine setup dialogs, adding a port to an empty
# setup.
start
shoot_screen first-start.png
for pair in c:console p:com n:telnet b:broadcast x:rx-telnet l:log-file w:wsjtx s:web m:mqtt; do
    keys alt+s a "${pair%%:*}"
    shoot "setup-${pair#*:}.png"
    keys Escape
done
stop

# A connected port's setup, its connect script, the routes, the font, About.
cp examples/gui-demo.ini "$work/"
start gui-demo.ini /START
place
select_port 1
keys alt+s p
shoot setup-connected-edit.png
keys Escape
keys alt+s s
shoot connect-script.png
keys Escape
keys alt+s r
shoot routes.png
keys Escape
keys alt+e f
shoot font.png
keys Escape
keys alt+h a
shoot about.png
keys Escape
select_port 2
keys alt+s p alt+f
shoot filters.png
keys Escape Escape
keys alt+w t
shoot_screen tiled.png
keys F1
shoot help.png
stop

# A port window minimised: its icon stays in front along the bottom.
sed -e "$((node_section + 4))s/^showCmd=.*$/showCmd=2/" examples/gui-demo.ini >"$work/min.ini"
start min.ini
place
shoot_screen minimised.png
stop
