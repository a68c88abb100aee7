#!/usr/bin/env bash
# Time from exec to the first painted frame under Wine: the menu against a minimal Win32
# program built the same way (bench/win32_minimal.c), interleaved, medians and their ratio
# (target: at most 1.10). Also the size of velmorra.exe with and without its embedded art
# (target for the code alone: under 200 KB). Prints figures; it is not a test.
#
# Usage: bench/startup_wine.sh [RUNS [EXE]]   (after: cmake --preset windows && cmake --build
#        --preset windows; EXE defaults to build/windows/velmorra.exe)
# Needs: wine, xvfb, openbox, gcc-mingw-w64-x86-64-posix, gcc, libx11-dev, fonts-wine.
set -euo pipefail

runs=${1:-21}
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$(realpath -m "${2:-$root/build/windows/velmorra.exe}")
[[ -f $exe ]] || { echo "build the windows preset first: $exe is missing" >&2; exit 2; }

work=$(mktemp -d /tmp/velmorra-bench-XXXXXX)
xvfb_pid=
wm_pid=
cleanup() {
    WINEPREFIX=$work/prefix wineserver -k >/dev/null 2>&1 || true
    [[ -n $wm_pid ]] && kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# The probe: starts a program, and returns the microseconds until the client area of its
# window titled TITLE shows the silver row 458 at column 400, then closes it.
cat >"$work/probe.c" <<'C'
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static int quiet(Display* d, XErrorEvent* e) { (void)d; (void)e; return 0; }
static double now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}
static int titled(Display* d, Window w, const char* title) {
    char* name = NULL;
    int same = XFetchName(d, w, &name) && name && strcmp(name, title) == 0;
    if (name) XFree(name);
    return same;
}
int main(int argc, char** argv) {
    Display* d = XOpenDisplay(NULL);
    Atom list = XInternAtom(d, "_NET_CLIENT_LIST", False);
    Window shown = 0;
    double start, end = 0;
    pid_t pid;
    XSetErrorHandler(quiet);
    start = now();
    pid = fork();
    if (pid == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    while (!end && now() - start < 30e6) {
        Atom type; int format; unsigned long n = 0, after; unsigned char* data = NULL;
        if (XGetWindowProperty(d, DefaultRootWindow(d), list, 0, 1024, False, XA_WINDOW, &type,
                               &format, &n, &after, &data) == Success && data) {
            for (unsigned long i = 0; i < n && !end; ++i) {
                Window w = ((Window*)data)[i];
                if (!titled(d, w, argv[1])) continue;
                XImage* image = XGetImage(d, w, 400, 458, 1, 1, AllPlanes, ZPixmap);
                if (image) {
                    if ((XGetPixel(image, 0, 0) & 0xFFFFFF) == 0xC0C0C0) { end = now(); shown = w; }
                    XDestroyImage(image);
                }
            }
            XFree(data);
        }
        if (!end) usleep(1000);
    }
    if (shown) {
        XEvent e = {0};
        e.xclient.type = ClientMessage;
        e.xclient.window = shown;
        e.xclient.message_type = XInternAtom(d, "_NET_CLOSE_WINDOW", False);
        e.xclient.format = 32;
        e.xclient.data.l[1] = 2;
        XSendEvent(d, DefaultRootWindow(d), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &e);
        XFlush(d);
    } else {
        kill(pid, SIGKILL);
    }
    waitpid(pid, NULL, 0);
    if (!end) return 1;
    printf("%.0f\n", end - start);
    return 0;
}
C
cc -O2 -o "$work/probe" "$work/probe.c" -lX11
# A hidden window that keeps Wine's desktop process up between runs, as on a desktop in use.
cat >"$work/keep.c" <<'C'
#include <windows.h>
int main(void) {
    MSG m;
    CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
    while (GetMessageW(&m, NULL, 0, 0) > 0) DispatchMessageW(&m);
    return 0;
}
C
x86_64-w64-mingw32-gcc-posix -Os -s -mwindows -o "$work/keep.exe" "$work/keep.c"
x86_64-w64-mingw32-gcc-posix -Os -s -static -mwindows -ffunction-sections -fdata-sections \
    -Wl,--gc-sections -o "$work/minimal.exe" "$root/bench/win32_minimal.c"
cp "$exe" "$work/velmorra.exe"

Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp >"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
export DISPLAY=:$(head -1 "$work/display")
openbox --sm-disable >/dev/null 2>&1 &
wm_pid=$!
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >/dev/null 2>&1
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
# One server for every run, as on a desktop where Wine is already up.
wineserver -p >/dev/null 2>&1 || true
cd "$work"
wine keep.exe >/dev/null 2>&1 &
sleep 2

median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR + 1) / 2] : int((a[NR / 2] + a[NR / 2 + 1]) / 2)}'; }
# A first run of each warms the caches; it is not counted.
./probe Velmorra wine velmorra.exe >/dev/null
./probe Minimal wine minimal.exe >/dev/null
: >menu.times
: >minimal.times
: >round.ratios
for i in $(seq "$runs"); do
    m=$(./probe Velmorra wine velmorra.exe) || m=
    n=$(./probe Minimal wine minimal.exe) || n=
    [[ -n $m ]] && echo "$m" >>menu.times
    [[ -n $n ]] && echo "$n" >>minimal.times
    # Each round's own ratio, whose median drifts less when other work loads the machine.
    [[ -n $m && -n $n ]] && echo "$m / $n" | bc -l >>round.ratios
done
quantile() { sort -g | awk -v q="$1" '{a[NR]=$1} END {i = int((NR - 1) * q) + 1; print a[i]}'; }
menu=$(median <menu.times)
minimal=$(median <minimal.times)
echo "exec to first painted frame under Wine, $runs interleaved runs ($(wc -l <round.ratios) complete rounds):"
printf '  velmorra.exe  median %6.1f ms  (min %.1f, max %.1f)\n' "$(echo "$menu / 1000" | bc -l)" \
    "$(quantile 0 <menu.times | awk '{print $1 / 1000}')" "$(quantile 1 <menu.times | awk '{print $1 / 1000}')"
printf '  minimal.exe   median %6.1f ms  (min %.1f, max %.1f)\n' "$(echo "$minimal / 1000" | bc -l)" \
    "$(quantile 0 <minimal.times | awk '{print $1 / 1000}')" "$(quantile 1 <minimal.times | awk '{print $1 / 1000}')"
# Each round's own ratio, whose median drifts less when other work loads the machine; the
# quartiles say how much the rounds disagree.
printf "  ratio velmorra.exe / minimal.exe: median of the rounds' ratios %.3f (quartiles %.3f-%.3f; ratio of the medians %.3f; target <= 1.10)\n" \
    "$(quantile 0.5 <round.ratios)" "$(quantile 0.25 <round.ratios)" "$(quantile 0.75 <round.ratios)" \
    "$(echo "$menu / $minimal" | bc -l)"

size=$(stat -c %s "$exe")
rsrc=$(x86_64-w64-mingw32-objdump -h "$exe" | awk '$2 == ".rsrc" {print $3}')
art=$(printf '%d' "0x$rsrc")
echo "velmorra.exe size:"
echo "  with the art     $size bytes"
echo "  resources (art)  $art bytes (.rsrc, unaligned)"
echo "  without the art  $((size - art)) bytes (target < 204800)"
