#!/usr/bin/env python3
"""Start-up of the Linux menu against xlogo and feh, on one Xvfb without a window manager.

    python3 bench/startup_linux.py [--build build/linux] [--runs 15] [--idle-seconds 10]
                                   [--picture resources/title.jpg]

The peers: xlogo, about the least an Xlib program does to show a window, and feh showing the
menu's own title picture, a program whose whole job is to decode that JPEG and show it.
For each program: the time from exec to the first frame that shows its finished window
(the pixels it settles on, recorded once beforehand), over interleaved runs; the medians, and
the median of each round's own ratios menu / xlogo (target: at most 2.0) and menu / feh
(target: at most 0.5); the peak RSS and its ratio menu / xlogo (target: at most 1.5); and the
system calls each program makes while it sits idle (target: 0), counted by strace. Prints
figures; asserts nothing. Needs xvfb, x11-apps (xlogo), feh, strace and the build's
tests/e2e_linux/x11_probe.
"""
import argparse
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path


def start_xvfb(size="1024x768"):
    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", size + "x24", "-nolisten", "tcp"],
        pass_fds=[write_fd], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_fd)
    with os.fdopen(read_fd) as f:
        number = f.readline().strip()
    if not number:
        sys.exit("Xvfb did not start")
    return xvfb, ":" + number


def idle_syscalls(cmd, env, cwd, seconds):
    """Starts `cmd`, lets it settle, then counts its system calls over `seconds`."""
    proc = subprocess.Popen(cmd, env=env, cwd=cwd, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        time.sleep(1.5)
        r = subprocess.run(["timeout", "-s", "INT", str(seconds), "strace", "-c", "-f", "-p",
                            str(proc.pid)], capture_output=True, text=True)
        total = 0
        for line in r.stderr.splitlines():
            m = re.match(r"^\s*[\d.]+\s+[\d.]+\s+\d+\s+(\d+)\s+(?:\d+\s+)?total$", line)
            if m:
                total = int(m.group(1))
        return total, r.stderr
    finally:
        proc.terminate()
        proc.wait()


def main():
    root = Path(__file__).resolve().parent.parent
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=str(root / "build" / "linux"))
    parser.add_argument("--runs", type=int, default=15)
    parser.add_argument("--idle-seconds", type=int, default=10)
    parser.add_argument("--picture", default=str(root / "resources" / "title.jpg"),
                        help="what feh shows: the title picture the menu was built with")
    args = parser.parse_args()

    build = Path(args.build).resolve()
    menu = build / "velmorra"
    probe = build / "tests" / "e2e_linux" / "x11_probe"
    for need in (menu, probe):
        if not need.exists():
            sys.exit("missing %s: build the linux preset first" % need)
    xlogo = shutil.which("xlogo")
    if not xlogo:
        sys.exit("missing xlogo: apt-get install x11-apps")
    feh = shutil.which("feh")
    if not feh:
        sys.exit("missing feh: apt-get install feh")
    picture = Path(args.picture).resolve()
    if not picture.exists():
        sys.exit("missing %s" % picture)

    xvfb, display = start_xvfb()
    work = Path(tempfile.mkdtemp(prefix="velmorra-bench-"))
    env = dict(os.environ, DISPLAY=display)
    env.pop("XAUTHORITY", None)
    programs = {"velmorra": [str(menu)], "xlogo": [xlogo], "feh": [feh, str(picture)]}
    peers = [name for name in programs if name != "velmorra"]
    try:
        refs = {}
        for name, cmd in programs.items():
            refs[name] = work / (name + ".pixels")
            subprocess.run([str(probe), "reference", str(refs[name])] + cmd, env=env, cwd=work,
                           check=True, timeout=60)

        times = {name: [] for name in programs}
        rss = {name: [] for name in programs}
        rounds = {peer: [] for peer in peers}  # velmorra / peer within one round
        for _ in range(args.runs):
            this_round = {}
            for name, cmd in programs.items():  # interleaved
                try:
                    r = subprocess.run([str(probe), "time", str(refs[name])] + cmd, env=env,
                                       cwd=work, capture_output=True, text=True, timeout=60)
                except subprocess.TimeoutExpired:
                    r = None
                if r is None or r.returncode != 0:
                    print("%s: a run did not reach its finished frame" % name)
                    continue
                ms, kib = r.stdout.split()
                times[name].append(float(ms))
                rss[name].append(int(kib))
                this_round[name] = float(ms)
            for peer in peers:
                if "velmorra" in this_round and peer in this_round:
                    rounds[peer].append(this_round["velmorra"] / this_round[peer])

        print("exec to first finished frame, %d interleaved runs on Xvfb %s, no window manager"
              % (args.runs, display))
        for name in programs:
            t = times[name]
            if not t:
                print("  %-9s no run reached its finished frame" % name)
                continue
            print("  %-9s median %7.2f ms   min %7.2f   max %7.2f" %
                  (name, statistics.median(t), min(t), max(t)))
        # Each round's own ratio, whose median drifts less when other work loads the machine;
        # the quartiles say how much the rounds disagree.
        targets = {"xlogo": 2.0, "feh": 0.5}
        for peer in peers:
            r = sorted(rounds[peer])
            if not r:
                continue
            of_medians = statistics.median(times["velmorra"]) / statistics.median(times[peer])
            print("  velmorra / %-5s median of the rounds' ratios %.2f (quartiles %.2f-%.2f; "
                  "ratio of the medians %.2f; target <= %.1f)" %
                  (peer, statistics.median(r), r[len(r) // 4], r[(3 * len(r)) // 4], of_medians,
                   targets[peer]))
        print("peak RSS (median)")
        for name in programs:
            if rss[name]:
                print("  %-9s %6d KiB" % (name, statistics.median(rss[name])))
        for peer, target in (("xlogo", " (target <= 1.5)"), ("feh", "")):
            if rss["velmorra"] and rss[peer]:
                print("  ratio velmorra / %-5s %.2f%s" %
                      (peer, statistics.median(rss["velmorra"]) / statistics.median(rss[peer]),
                       target))

        if shutil.which("strace"):
            print("system calls while idle for %d s (target 0)" % args.idle_seconds)
            for name, cmd in programs.items():
                count, detail = idle_syscalls(cmd, env, work, args.idle_seconds)
                print("  %-9s %d" % (name, count))
                if count and name == "velmorra":
                    print(detail)
        else:
            print("strace is missing: apt-get install strace")
    finally:
        xvfb.terminate()
        xvfb.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
