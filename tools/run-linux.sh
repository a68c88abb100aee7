#!/bin/sh
# Starts the built menu (build/linux/velmorra, or the program given as $1) from the current
# folder, which it takes as the disc.
#
# With a usable X display ($DISPLAY answers): runs the menu there, until it is closed.
# Without one: starts a virtual X server (Xvfb) with openbox, runs the menu on it, saves a
# screenshot of the real window to build/linux/velmorra-screen.png, says so, and then stops
# the menu and the virtual server again (this script started them; nothing is left running).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
menu=${1:-"$root/build/linux/velmorra"}
shot=${VELMORRA_SCREENSHOT:-"$root/build/linux/velmorra-screen.png"}

if [ ! -x "$menu" ]; then
    echo "run-linux: $menu is not built" >&2
    exit 1
fi

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec "$menu"
fi

for tool in Xvfb xwininfo xprop import; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "run-linux: no display, and $tool is missing (apt-get install xvfb x11-utils imagemagick openbox)" >&2
        exit 1
    fi
done

work=$(mktemp -d)
xvfb_pid=
wm_pid=
menu_pid=
cleanup() {
    for pid in $menu_pid $wm_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

mkfifo "$work/displayfd"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/displayfd" >/dev/null 2>&1 &
xvfb_pid=$!
read -r number <"$work/displayfd"
DISPLAY=":$number"
export DISPLAY
echo "run-linux: no display; started a virtual X server on $DISPLAY"

if command -v openbox >/dev/null 2>&1; then
    openbox --sm-disable >/dev/null 2>&1 &
    wm_pid=$!
    i=0
    while [ $i -lt 100 ] && ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window; do
        sleep 0.05
        i=$((i + 1))
    done
fi

"$menu" &
menu_pid=$!

# Wait for the window to be shown, then for its painting to settle.
window=
i=0
while [ $i -lt 200 ] && [ -z "$window" ]; do
    window=$(xwininfo -root -children 2>/dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) "Velmorra".*/\1/p' | head -n 1)
    if [ -z "$window" ]; then
        # Under a window manager the window is a child of its frame.
        window=$(xwininfo -root -tree 2>/dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) "Velmorra".*/\1/p' | head -n 1)
    fi
    [ -n "$window" ] || sleep 0.05
    i=$((i + 1))
done
if [ -z "$window" ]; then
    echo "run-linux: the menu showed no window" >&2
    exit 1
fi
# The window with the frame the window manager drew around it, once its picture shows: on a
# fresh machine the first start also builds the font caches and may take a while.
shoot() {
    geometry=$(xwininfo -id "$window")
    x=$(echo "$geometry" | sed -n 's/.*Absolute upper-left X: *\(-*[0-9]*\).*/\1/p')
    y=$(echo "$geometry" | sed -n 's/.*Absolute upper-left Y: *\(-*[0-9]*\).*/\1/p')
    w=$(echo "$geometry" | sed -n 's/.*Width: *\([0-9]*\).*/\1/p')
    h=$(echo "$geometry" | sed -n 's/.*Height: *\([0-9]*\).*/\1/p')
    extents=$(xprop -id "$window" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ' ')
    left=0 right=0 top=0 bottom=0
    if [ -n "$extents" ]; then
        IFS=, read -r left right top bottom <<EOF
$extents
EOF
    fi
    import -window root -crop "$((w + left + right))x$((h + top + bottom))+$((x - left))+$((y - top))" +repage "$shot"
}
mkdir -p "$(dirname "$shot")"
i=0
while :; do
    sleep 0.2
    shoot
    # The picture is far from black; an unpainted window is black.
    lit=$(convert "$shot" -format '%[fx:mean > 0.05 ? 1 : 0]' info: 2>/dev/null || echo 0)
    i=$((i + 1))
    if [ "$lit" = 1 ] || [ $i -ge 100 ]; then
        break
    fi
done
echo "run-linux: the menu ran on the virtual display; its window is saved as $shot"
echo "run-linux: stopping the menu and the virtual display again"
