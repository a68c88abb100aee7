#!/usr/bin/env python3
"""The Linux program on machines it was not built on.

    other_machines.py CASE --menu PATH --snapshot PATH

bullseye     A Debian 11 root (glibc 2.31, no X, font or picture libraries), made once with
             debootstrap from the Debian archive this machine's apt uses and kept in
             /var/cache/velmorra-bullseye (VELMORRA_BULLSEYE_ROOT elsewhere). The program is
             copied into it and started there with chroot: through the X server's socket file,
             mounted into the root (the root gets a network namespace of its own, so the
             server's abstract socket is out of reach), and over TCP.
tcp_display  A display reached over TCP as ssh's X forwarding gives one: by address and as
             "localhost:N.0", with the cookie in an Xauthority file.
program_file The program file itself: an x86-64 executable with no program interpreter and
             no dynamic section (nothing to load), no trace of fontconfig, and the licences
             of what it carries beside it.

The first two use an Xvfb that lets in only clients with its cookie, with openbox, and need
root (debootstrap, chroot, mount, unshare); the first bullseye run needs the Debian archive.
Every process a case starts is ended by its PID, and every mount lives in a mount namespace
that ends with the program.
"""
import argparse
import copy
import fcntl
import os
import re
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "e2e_linux"))
import e2e  # noqa: E402  (the end-to-end tests' helpers)
from e2e import CLIENT, Disc, Failure, Menu, Processes, check, eventually  # noqa: E402

ROOT_CACHE = Path(os.environ.get("VELMORRA_BULLSEYE_ROOT", "/var/cache/velmorra-bullseye"))
SUITE = "bullseye"
# Where Debian keeps releases that have left the mirrors, tried when the mirror fails.
ARCHIVE = "http://archive.debian.org/debian"
SKIP = 77
BUTTONS = {"RzButton7": e2e.RZBUTTON7, "RzButton2": e2e.RZBUTTON2, "RzButton1": e2e.RZBUTTON1}
# Packages that would let a program borrow the system's X, font or picture code.
FORBIDDEN_PACKAGES = re.compile(
    r"^(libx11|libxcb|libxau|libxdmcp|libxext|libxrender|libxrandr|libxcursor|libxfixes|"
    r"xserver|x11-|xorg|fontconfig|libfontconfig|fonts-|libfreetype|libjpeg|libpng|"
    r"libbrotli)")
NO_DISPLAY = "velmorra: cannot open display"


# ---------------------------------------------------------------------------------------------
# The Debian 11 root


def debian_mirror():
    """The Debian archive this machine's apt uses (deb822 .sources or one-line .list)."""
    files = [Path("/etc/apt/sources.list")]
    for pattern in ("*.sources", "*.list"):
        files += sorted(Path("/etc/apt/sources.list.d").glob(pattern))
    for f in files:
        if not f.is_file():
            continue
        text = f.read_text(errors="replace")
        for stanza in re.split(r"\n\s*\n", text):
            fields = dict(re.findall(r"^(\w[\w-]*):\s*(.*)$", stanza, re.M))
            suites = fields.get("Suites", "").split()
            if fields.get("Enabled", "yes") != "no" and any(s.isalpha() for s in suites):
                for uri in fields.get("URIs", "").split():
                    if "debian" in uri and "security" not in uri:
                        return uri.rstrip("/")
        for line in text.splitlines():
            words = line.split()
            if len(words) >= 3 and words[0] == "deb":
                uri = next((w for w in words[1:] if not w.startswith("[")), "")
                if "debian" in uri and "security" not in uri:
                    return uri.rstrip("/")
    return "http://deb.debian.org/debian"


def mounts_below(path):
    prefix = str(path).rstrip("/") + "/"
    with open("/proc/mounts") as f:
        points = [line.split()[1] for line in f]
    return [p for p in points if p == str(path) or p.startswith(prefix)]


def bullseye_root():
    """The cached root, made first if need be. It is built beside the cache and renamed into
    place once complete, under a lock, so a failed or interrupted run leaves nothing a later
    one would take for a root; debootstrap's own mounts stay in a namespace of its own."""
    complete = ROOT_CACHE / ".velmorra-complete"
    if complete.exists():
        return ROOT_CACHE
    ROOT_CACHE.parent.mkdir(parents=True, exist_ok=True)
    with open(str(ROOT_CACHE) + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if complete.exists():
            return ROOT_CACHE
        if ROOT_CACHE.exists():  # incomplete: not ours to trust
            check(not mounts_below(ROOT_CACHE), "something is mounted in %s" % ROOT_CACHE)
            shutil.rmtree(ROOT_CACHE)
        for stale in ROOT_CACHE.parent.glob(ROOT_CACHE.name + ".partial-*"):
            if not mounts_below(stale):
                shutil.rmtree(stale, ignore_errors=True)
        partial = Path("%s.partial-%d" % (ROOT_CACHE, os.getpid()))
        try:
            errors = []
            for mirror in dict.fromkeys([debian_mirror(), ARCHIVE]):
                shutil.rmtree(partial, ignore_errors=True)
                print("debootstrap --variant=minbase %s %s %s" % (SUITE, partial, mirror))
                r = subprocess.run(["unshare", "--mount", "--", "debootstrap", "--variant=minbase",
                                    SUITE, str(partial), mirror],
                                   capture_output=True, text=True, timeout=1500)
                if r.returncode == 0:
                    break
                errors.append("%s: %s" % (mirror, (r.stdout + r.stderr).strip()[-2000:]))
            else:
                raise Failure("debootstrap failed:\n" + "\n".join(errors))
            (partial / "tmp" / ".X11-unix").mkdir(mode=0o1777, exist_ok=True)
            (partial / ".velmorra-complete").touch()
            os.rename(partial, ROOT_CACHE)
        finally:
            if partial.exists() and not mounts_below(partial):
                shutil.rmtree(partial, ignore_errors=True)
    return ROOT_CACHE


def check_root_is_bare(root):
    """Debian 11's C library, and none of the libraries the program carries."""
    r = subprocess.run(["chroot", str(root), "dpkg-query", "-W", "-f", "${Package} ${Version}\\n"],
                       capture_output=True, text=True, check=True)
    packages = dict(line.split(" ", 1) for line in r.stdout.splitlines() if " " in line)
    check(packages.get("libc6", "").startswith("2.31-"),
          "the root's C library is %s, not Debian 11's 2.31" % packages.get("libc6"))
    found = sorted(p for p in packages if FORBIDDEN_PACKAGES.match(p))
    check(not found, "the root has packages the test must not lean on: %s" % found)
    for folder in ("usr/share/fonts", "usr/share/X11", "etc/fonts"):
        check(not (root / folder).exists(), "the root has /%s" % folder)


def root_launcher(path, root, inside_disc, own_network, socket_folder=True):
    """A script that starts ./velmorra in the folder `inside_disc` of `root` as a program of
    that system: in a mount namespace of its own (so the X socket folder mounted into the
    root goes away with it), in a network namespace of its own if asked, with only the
    environment a session there would give it, host paths turned into the root's. The
    script replaces itself by the program, which keeps the PID the test started."""
    check(re.fullmatch(r"[\w/.-]+", str(root)) and re.fullmatch(r"[\w/.-]+", inside_disc),
          "unusual root path %s" % root)
    namespaces = "--mount --net" if own_network else "--mount"
    mount = "mount --bind /tmp/.X11-unix %s/tmp/.X11-unix" % root if socket_folder else ":"
    path.write_text(
        "#!/bin/sh\n"
        "set -e\n"
        'if [ -z "$VELMORRA_IN_NAMESPACE" ]; then\n'
        '    VELMORRA_IN_NAMESPACE=1 exec unshare %s -- "$0"\n'
        "fi\n"
        "%s\n"
        "exec chroot %s /usr/bin/env -i HOME=/root PATH=/usr/bin:/bin \\\n"
        '    ${DISPLAY+"DISPLAY=$DISPLAY"} \\\n'
        '    ${XAUTHORITY+"XAUTHORITY=${XAUTHORITY#%s}"} \\\n'
        '    ${VELMORRA_E2E_LOG+"VELMORRA_E2E_LOG=${VELMORRA_E2E_LOG#%s}"} \\\n'
        "    /bin/sh -c 'cd \"$1\" && exec ./velmorra' sh %s\n"
        % (namespaces, mount, root, root, root, inside_disc))
    path.chmod(0o755)
    return path


# ---------------------------------------------------------------------------------------------
# Displays and pixels


def xauthority_entry(family, address, number, cookie):
    def counted(b):
        return struct.pack(">H", len(b)) + b
    return (struct.pack(">H", family) + counted(address) + counted(number) +
            counted(b"MIT-MAGIC-COOKIE-1") + counted(cookie))


FAMILY_LOCAL = 256
FAMILY_WILD = 65535


def write_cookie(path, cookie, number=None):
    """An Xauthority file: for any display, or as ssh writes it for a forwarded display
    (this host's name and the display number)."""
    if number is None:
        entry = xauthority_entry(FAMILY_WILD, b"", b"", cookie)
    else:
        entry = xauthority_entry(FAMILY_LOCAL, socket.gethostname().encode(),
                                 str(number).encode(), cookie)
    path.write_bytes(entry)
    path.chmod(0o600)
    return path


def tcp_view(x, host):
    """The same server, reached by every helper and the menu over TCP."""
    view = copy.copy(x)
    view.env = dict(x.env, DISPLAY="%s:%d.0" % (host, x.number))
    return view


def rgb(cmd, env):
    return subprocess.run(cmd + ["-depth", "8", "rgb:-"], env=env, capture_output=True,
                          check=True, timeout=30).stdout


def differing_pixels(a, b):
    if len(a) != len(b):
        return max(len(a), len(b)) // 3
    return sum(1 for i in range(0, len(a), 3) if a[i:i + 3] != b[i:i + 3])


def white_pixels(pixels, rect):
    left, top, width, height = rect
    count = 0
    for y in range(top, top + height):
        row = (y * CLIENT[0] + left) * 3
        for i in range(row, row + width * 3, 3):
            count += pixels[i:i + 3] == b"\xff\xff\xff"
    return count


class Expected:
    """What the window must show right after start: the snapshot tool's rendering with the
    focus on RzButton1, captions and all."""

    def __init__(self, snapshot_tool, folder):
        png = folder / "expected.png"
        subprocess.run([snapshot_tool, str(png), "--focus", "RzButton1"], check=True, timeout=60)
        self.pixels = rgb(["convert", str(png)], os.environ)
        check(len(self.pixels) == CLIENT[0] * CLIENT[1] * 3, "the snapshot is not 641 x 499")
        for name, rect in BUTTONS.items():
            check(white_pixels(self.pixels, rect) > 30, "the snapshot has no caption on " + name)

    def check_window(self, x, menu, where):
        check(menu.client_size() == CLIENT, "%s: client size %s" % (where, menu.client_size()))
        seen = []

        def same():
            seen[:] = [rgb(["import", "-window", str(menu.window)], x.env)]
            return seen[0] == self.pixels
        try:
            eventually("the window's pixels", same, patience=10)
        except Failure:
            raise Failure("%s: %d pixels differ from the snapshot; white pixels per button %s" % (
                where, differing_pixels(seen[0], self.pixels),
                {n: white_pixels(seen[0], r) for n, r in BUTTONS.items()}))


def tcp_connection(pid, port):
    """Whether process `pid` holds a TCP connection to `port` on this machine."""
    inodes = set()
    for fd in Path("/proc/%d/fd" % pid).iterdir():
        try:
            target = os.readlink(fd)
        except OSError:
            continue
        if target.startswith("socket:["):
            inodes.add(target[8:-1])
    for table in ("tcp", "tcp6"):
        for line in Path("/proc/%d/net/%s" % (pid, table)).read_text().splitlines()[1:]:
            fields = line.split()
            if int(fields[2].split(":")[1], 16) == port and fields[9] in inodes:
                return True
    return False


def check_no_display(cases, procs):
    """Each case: a name, a command and its environment. Where there is no display to use,
    the program says so on one line of stderr and exits with 1; where a server refuses it,
    Xlib gives the server's reason first."""
    for name, cmd, env, one_line in cases:
        r = subprocess.run(cmd, env=env, capture_output=True, text=True, timeout=30,
                           stdin=subprocess.DEVNULL)
        lines = r.stderr.splitlines()
        check(r.returncode == 1, "%s: exit code %d, stderr %r" % (name, r.returncode, r.stderr))
        check(r.stdout == "" and lines and lines[-1].startswith(NO_DISPLAY),
              "%s: output %r %r" % (name, r.stdout, r.stderr))
        check(len(lines) == 1 or not one_line, "%s: %d lines on stderr: %r" %
              (name, len(lines), r.stderr))


def enter_starts_directx(menu, inside_disc, where):
    menu.key("Return")
    e2e.expect_launches(menu.disc, ["dxsetup"], where)
    launch = e2e.settled(menu.disc)[0]
    check(launch == ["dxsetup", inside_disc], "%s: DXSETUP.exe started as %s" % (where, launch))
    menu.disc.log.write_text("")


def end(menu):
    menu.proc.terminate()
    check(menu.wait_exit() == 0, "exit code after SIGTERM")


# ---------------------------------------------------------------------------------------------
# Cases


def case_bullseye(args, procs, work):
    root = bullseye_root()
    check_root_is_bare(root)
    expected = Expected(args.snapshot, work)
    run = Path(tempfile.mkdtemp(prefix="velmorra-run-", dir=root / "tmp"))
    try:
        inside = lambda p: "/" + str(p.relative_to(root))  # noqa: E731
        cookie = write_cookie(run / "Xauthority", os.urandom(16))
        x = e2e.XServer(procs, listen=("-listen", "tcp"), auth=cookie)

        # Through the socket file: the root's own network namespace has neither the
        # server's abstract socket nor its TCP port.
        disc = Disc(run, "disc")
        shutil.copy2(args.menu, disc.path / "velmorra")
        launcher = root_launcher(work / "in-root", root, inside(disc.path), own_network=True)
        menu = Menu(x, procs, str(launcher), disc)
        expected.check_window(x, menu, "Debian 11, socket file")
        enter_starts_directx(menu, inside(disc.path), "Enter in the Debian 11 root")
        end(menu)

        # Over TCP from the root.
        tcp = tcp_view(x, "127.0.0.1")
        launcher_tcp = root_launcher(work / "in-root-tcp", root, inside(disc.path),
                                     own_network=False)
        menu = Menu(tcp, procs, str(launcher_tcp), disc)
        check(tcp_connection(menu.proc.pid, 6000 + x.number), "the menu is not on TCP")
        expected.check_window(tcp, menu, "Debian 11, TCP")
        end(menu)

        unmounted = root_launcher(work / "in-root-bare", root, inside(disc.path),
                                  own_network=True, socket_folder=False)
        env = dict(x.env)
        no_display = dict(env)
        del no_display["DISPLAY"]
        check_no_display([
            ("no DISPLAY", [str(launcher)], no_display, True),
            ("no server on the display", [str(launcher)], dict(env, DISPLAY=":59000"), True),
            ("the socket folder not in the root", [str(unmounted)], env, True),
            ("a host name that does not resolve", [str(launcher)],
             dict(env, DISPLAY="nosuchhost.invalid:0"), True),
            ("no cookie", [str(launcher)], dict(env, XAUTHORITY=str(run / "none")), False),
        ], procs)
    finally:
        procs.end_all()
        shutil.rmtree(run, ignore_errors=True)


def case_tcp_display(args, procs, work):
    expected = Expected(args.snapshot, work)
    server_cookie = os.urandom(16)
    x = e2e.XServer(procs, listen=("-listen", "tcp"),
                    auth=write_cookie(work / "server-auth", server_cookie))
    # What ssh leaves for a forwarded display: the cookie for this host's name and the
    # display number, and DISPLAY=localhost:N.0.
    forwarded = write_cookie(work / "forwarded-auth", server_cookie, number=x.number)
    for host in ("127.0.0.1", "localhost"):
        view = tcp_view(x, host)
        view.env["XAUTHORITY"] = str(forwarded)
        disc = Disc(work / host)
        menu = Menu(view, procs, args.menu, disc)
        check(tcp_connection(menu.proc.pid, 6000 + x.number), "%s: the menu is not on TCP" % host)
        expected.check_window(view, menu, "DISPLAY=" + view.env["DISPLAY"])
        enter_starts_directx(menu, str(disc.path), "Enter over TCP via " + host)
        end(menu)

    env = dict(x.env, XAUTHORITY=str(forwarded))
    check_no_display([
        ("no server at the address", [args.menu], dict(env, DISPLAY="127.0.0.1:59000"), True),
        ("a wrong cookie", [args.menu],
         dict(env, DISPLAY="127.0.0.1:%d" % x.number,
              XAUTHORITY=str(write_cookie(work / "wrong", os.urandom(16), x.number))), False),
    ], procs)


ELF_EXECUTABLE = 2
ELF_X86_64 = 62
PT_DYNAMIC = 2
PT_INTERP = 3


def case_program_file(args, procs, work):
    data = Path(args.menu).read_bytes()
    check(data[:5] == b"\x7fELF\x02", "not a 64-bit ELF file")
    kind, machine = struct.unpack_from("<HH", data, 16)
    check((kind, machine) == (ELF_EXECUTABLE, ELF_X86_64),
          "ELF type %d machine %d, not an x86-64 executable" % (kind, machine))
    (table,) = struct.unpack_from("<Q", data, 32)
    entry_size, count = struct.unpack_from("<HH", data, 54)
    kinds = [struct.unpack_from("<I", data, table + i * entry_size)[0] for i in range(count)]
    check(PT_INTERP not in kinds, "the program names a program interpreter (dynamic loader)")
    check(PT_DYNAMIC not in kinds, "the program has a dynamic section")
    for trace in (b"fonts.conf", b"FONTCONFIG_FILE", b"libfontconfig"):
        check(trace not in data, "the program carries %r" % trace.decode())
    licences = Path(args.menu).parent / "licences"
    for name in ("LiberationSans-OFL.txt", "glibc-LGPL-2.1.txt", "FreeType-FTL.txt",
                 "libjpeg-turbo.txt", "libX11-MIT.txt", "libxcb-MIT.txt"):
        check((licences / name).is_file(), "no %s beside the program" % name)


CASES = {"bullseye": case_bullseye, "tcp_display": case_tcp_display,
         "program_file": case_program_file}
# Cases that start X servers, mount and chroot.
NEEDS_ROOT = {"bullseye", "tcp_display"}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("case", choices=sorted(CASES))
    parser.add_argument("--menu", required=True)
    parser.add_argument("--snapshot", required=True)
    args = parser.parse_args()
    args.menu = str(Path(args.menu).resolve())
    args.snapshot = str(Path(args.snapshot).resolve())
    if args.case in NEEDS_ROOT and os.geteuid() != 0:
        print("SKIP: chroot, mount and debootstrap need root", file=sys.stderr)
        return SKIP
    tools = []
    if args.case in NEEDS_ROOT:
        tools += ["Xvfb", "openbox", "xdotool", "xprop", "xwininfo", "import", "convert",
                  "unshare"]
    if args.case == "bullseye":
        tools += ["debootstrap", "chroot", "mount"]
    missing = [t for t in tools if not shutil.which(t)]
    if missing:
        print("missing tools: %s (tools/install-deps.sh test)" % " ".join(missing),
              file=sys.stderr)
        return 1
    procs = Processes()
    work = Path(tempfile.mkdtemp(prefix="velmorra-other-"))
    try:
        CASES[args.case](args, procs, work)
    except Failure as e:
        print("FAIL %s: %s" % (args.case, e), file=sys.stderr)
        return 1
    finally:
        procs.end_all()
        shutil.rmtree(work, ignore_errors=True)
    print("PASS " + args.case)
    return 0


if __name__ == "__main__":
    sys.exit(main())
