#!/usr/bin/env python3
"""End-to-end tests of the disc: tools/make-disc.sh makes an ISO image of a fixture payload,
and everything is checked from the image itself. It is read back with xorriso (names, Rock
Ridge modes, Joliet names, volume id, bytes), made twice to the same bytes, refused or warned
about on bad input, and its menu is started from it: on Linux through autorun.sh on Xvfb with
openbox, under Wine from a CD-ROM drive letter as AutoPlay starts it.

    disc_test.py CASE --linux-program PATH --windows-program PATH

Every process a case starts is ended by its PID when the case ends, and the Wine case stops
only the wineserver of its own prefix.
"""
import argparse
import hashlib
import os
import re
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
REPO = HERE.parent.parent
SCRIPT = REPO / "tools" / "make-disc.sh"
sys.path.insert(0, str(HERE.parent / "e2e_linux"))
import e2e  # noqa: E402  (Xvfb with openbox, the menu's windows, stand-ins that log)
from e2e import Failure, check, eventually  # noqa: E402

STANDIN_SOURCE = HERE.parent / "e2e_wine" / "standin.c"
DRIVE_PROBE_SOURCE = HERE / "drive_probe.c"
MINGW_CC = os.environ.get("MINGW_CC", "x86_64-w64-mingw32-gcc-posix")

# Names on the image that Windows and Linux must show exactly: Cyrillic, and a Cyrillic name of
# the 103 characters that Joliet holds at most.
CYRILLIC_NAME = "Дополнение — гараж «Велморра».txt"
LONG_NAME = ("Длинное имя файла дополнения для проверки того, что Windows показывает "
             "имена длиной до ста трёх букв.md")
assert len(LONG_NAME) == 103, len(LONG_NAME)

AUTORUN_INF = b"[autorun]\r\nopen=velmorra.exe\r\nicon=velmorra.exe,0\r\nlabel=VELMORRA\r\n"
ADDED = {"velmorra.exe", "velmorra", "autorun.inf", "autorun.sh", "licences"}
# A fixed time the fixtures' files carry, so that the disc's date is known.
FIXTURE_TIME = 1_600_000_000  # 2020-09-13 12:26:40 UTC


# ---------------------------------------------------------------------------------------------
# Running the script and reading images


def run(cmd, **kwargs):
    kwargs.setdefault("capture_output", True)
    kwargs.setdefault("text", True)
    kwargs.setdefault("timeout", 300)
    return subprocess.run([str(c) for c in cmd], **kwargs)


def without_permission_override(cmd):
    """The command as an ordinary user would run it: root reads files whatever their modes, so
    a root test drops the two capabilities that let it."""
    if os.geteuid() != 0:
        return cmd
    return ["setpriv", "--bounding-set", "-dac_override,-dac_read_search", "--"] + cmd


def make_disc(args, env=None, as_user=False, **kwargs):
    """Runs the script; returns (exit status, stdout, stderr)."""
    cmd = ["sh", str(SCRIPT)] + [str(a) for a in args]
    if as_user:
        cmd = without_permission_override(cmd)
    full_env = dict(os.environ)
    full_env.pop("SOURCE_DATE_EPOCH", None)
    full_env.update(env or {})
    r = run(cmd, env=full_env, **kwargs)
    return r.returncode, r.stdout, r.stderr


def xorriso(*args):
    r = run(["xorriso"] + list(args))
    check(r.returncode == 0, "xorriso %s: %s" % (" ".join(map(str, args)), r.stderr))
    return r.stdout


def listing(image, tree="rockridge"):
    """{path: (mode string, size)} of an image's tree: Rock Ridge, or Joliet as Windows reads."""
    read_fs = {"rockridge": [], "joliet": ["-read_fs", "norock"]}[tree]
    out = xorriso(*read_fs, "-indev", image, "-find", "/", "-exec", "lsdl")
    entries = {}
    for line in out.splitlines():
        m = re.match(r"^(\S{10})\s+\d+\s+\S+\s+\S+\s+(\d+)\s+\w{3}\s+\d+\s+\S+\s+'(.*)'$", line)
        check(m, "unexpected listing line %r" % line)
        path = m.group(3).replace("'\"'\"'", "'")
        if path != "/":
            entries[path.lstrip("/")] = (m.group(1), int(m.group(2)))
    return entries


def volume_info(image):
    out = xorriso("-indev", image, "-pvd_info")
    return {k.strip(): v.strip() for k, v in
            (line.split(":", 1) for line in out.splitlines() if ":" in line)}


def extract(image, folder):
    folder.parent.mkdir(parents=True, exist_ok=True)
    xorriso("-osirrox", "on", "-indev", image, "-extract", "/", folder)
    return folder


def tree(root):
    """Everything under a folder, links not followed: {relative path: what it is}."""
    result = {}
    for dirpath, dirnames, filenames in os.walk(root):
        for name in dirnames + filenames:
            path = Path(dirpath) / name
            st = path.lstat()
            what = (stat.filemode(st.st_mode), st.st_mtime_ns)
            if stat.S_ISREG(st.st_mode) and st.st_size > 64 << 20:
                what += (st.st_size,)  # the sparse giants of the size cases
            elif stat.S_ISREG(st.st_mode):
                try:
                    what += (hashlib.sha256(path.read_bytes()).hexdigest(),)
                except PermissionError:
                    what += ("unreadable", st.st_size)
            elif stat.S_ISLNK(st.st_mode):
                what += (os.readlink(path),)
            result[str(path.relative_to(root))] = what
    return result


def set_times(root, when=FIXTURE_TIME):
    for dirpath, dirnames, filenames in os.walk(root, topdown=False):
        for name in dirnames + filenames:
            os.utime(Path(dirpath) / name, (when, when), follow_symlinks=False)
    os.utime(root, (when, when))


def make_writable(root):
    """Opens up the read-only folders of extracted images and the unreadable ones of bad
    payloads, so that they can be deleted."""
    def open_up(folder):
        try:
            if not folder.is_symlink():
                folder.chmod(0o755)
        except OSError:
            pass

    open_up(root)
    for dirpath, dirnames, _ in os.walk(root):  # each folder opened before it is listed
        for name in dirnames:
            open_up(Path(dirpath) / name)


def utc(seconds):
    return time.strftime("%Y%m%d%H%M%S00", time.gmtime(seconds))


# ---------------------------------------------------------------------------------------------
# Fixtures


class Fixture:
    """A payload with stand-ins for the Linux menu (e2e.Disc: shell scripts that log their
    name, folder and arguments, and an xdg-open on a PATH folder of its own), names that test
    Rock Ridge and Joliet, copies of the two programs and a licence folder, all dated
    FIXTURE_TIME."""

    def __init__(self, root, args):
        self.root = root
        self.disc = e2e.Disc(root, "payload")
        self.payload = self.disc.path
        addon = self.payload / "addon"
        (addon / CYRILLIC_NAME).write_text("Гараж\n", encoding="utf-8")
        (addon / LONG_NAME).write_bytes(bytes(range(256)) * 40)
        (self.payload / "Readme.TXT").write_bytes(b"Read me\r\n")
        (self.payload / "data" / "cars").mkdir(parents=True)
        (self.payload / "data" / "cars" / "car1.pak").write_bytes(os.urandom(70000))
        (self.payload / "data" / "empty folder").mkdir()
        self.programs = root / "programs"
        self.programs.mkdir()
        self.windows_program = self.programs / "velmorra.exe"
        self.linux_program = self.programs / "velmorra"
        shutil.copyfile(args.windows_program, self.windows_program)
        shutil.copy(args.linux_program, self.linux_program)
        self.licences = root / "licences"
        self.licences.mkdir()
        (self.licences / "font.txt").write_text("Licence of the font\n")
        (self.licences / "library.txt").write_text("Licence of a library\n")
        for folder in (self.payload, self.programs, self.licences):
            set_times(folder)
        self.out = root / "out"
        self.out.mkdir()

    def program_options(self):
        return ["--windows-program", self.windows_program, "--linux-program", self.linux_program,
                "--licences", self.licences]

    def make(self, name="disc.iso", env=None, payload=None):
        image = self.out / name
        code, out, err = make_disc([payload or self.payload, image] + self.program_options(), env)
        check(code == 0 and out == "", "make-disc failed (%d): %s%s" % (code, out, err))
        return image, err


def windows_standins(root, payload):
    """A payload whose programs are the mingw stand-in, which logs its command line, show mode
    and current folder. The file browser that the add-on button starts is a stand-in too,
    found first beside the menu as the Windows search order has it."""
    standin = root / "standin.exe"
    r = run([MINGW_CC, "-Os", "-s", "-o", standin, STANDIN_SOURCE])
    check(r.returncode == 0, "cannot build the stand-in: " + r.stderr)
    (payload / "DirectX").mkdir(parents=True)
    (payload / "addon").mkdir()
    (payload / "addon" / CYRILLIC_NAME).write_text("Гараж\n", encoding="utf-8")
    for name in ("setup.exe", "explorer.exe", "DirectX/DXSETUP.exe"):
        shutil.copyfile(standin, payload / name)


# ---------------------------------------------------------------------------------------------
# Cases: the image read back


def case_image(ctx):
    fx = Fixture(ctx.root, ctx.args)
    before = tree(fx.payload)
    image, err = fx.make()
    check(tree(fx.payload) == before, "the payload changed")
    check("warning" not in err, "warnings for a good payload: " + err)
    check(sorted(os.listdir(fx.out)) == ["disc.iso"], "beside the image: %s" % os.listdir(fx.out))

    # Rock Ridge: the payload's names and the added files, with their modes.
    payload_paths = {p for p in before}
    added_paths = ADDED | {"licences/font.txt", "licences/library.txt"}
    rock = listing(image)
    check(set(rock) == payload_paths | added_paths,
          "Rock Ridge names: missing %s, extra %s" % (
              sorted(payload_paths | added_paths - set(rock)),
              sorted(set(rock) - payload_paths - added_paths)))
    for path, (mode, _) in rock.items():
        source = fx.payload / path
        if path in ("velmorra", "autorun.sh"):
            expected = "-r-xr-xr-x"
        elif source.is_dir() or path == "licences":
            expected = "dr-xr-xr-x"
        elif path in before and os.access(source, os.X_OK):
            expected = "-r-xr-xr-x"  # the stand-ins
        else:
            expected = "-r--r--r--"
        check(mode == expected, "%s has the mode %s, not %s" % (path, mode, expected))

    # Joliet, which Windows reads: the same names, Cyrillic and 103 characters long included.
    joliet = listing(image, "joliet")
    check(set(joliet) == set(rock), "Joliet names: missing %s, extra %s" % (
        sorted(set(rock) - set(joliet)), sorted(set(joliet) - set(rock))))
    check("addon/" + LONG_NAME in joliet and "addon/" + CYRILLIC_NAME in joliet,
          "the Cyrillic names in Joliet")

    info = volume_info(image)
    check(info.get("Volume Id") == "VELMORRA", "volume id %r" % info.get("Volume Id"))
    check(info.get("Creation Time") == utc(FIXTURE_TIME) == info.get("Modif. Time"),
          "the volume's dates %s, %s: not the newest file's" % (
              info.get("Creation Time"), info.get("Modif. Time")))

    # The bytes: the payload's, the programs', the licences', autorun.inf exactly; every date
    # the disc's.
    root = extract(image, ctx.root / "extracted")
    for path, what in before.items():
        if what[0].startswith("-"):
            check((root / path).read_bytes() == (fx.payload / path).read_bytes(),
                  path + " differs on the image")
    check((root / "velmorra.exe").read_bytes() == fx.windows_program.read_bytes(),
          "velmorra.exe is not the Windows program")
    check((root / "velmorra").read_bytes() == fx.linux_program.read_bytes(),
          "velmorra is not the Linux program")
    for name in ("font.txt", "library.txt"):
        check((root / "licences" / name).read_bytes() == (fx.licences / name).read_bytes(),
              "licences/%s differs" % name)
    check((root / "autorun.inf").read_bytes() == AUTORUN_INF,
          "autorun.inf is %r" % (root / "autorun.inf").read_bytes())
    for path, what in tree(root).items():
        check(what[1] == FIXTURE_TIME * 10**9, "%s is dated %d" % (path, what[1]))


def case_reproducible(ctx):
    fx = Fixture(ctx.root, ctx.args)
    first, _ = fx.make("first.iso")
    time.sleep(1.1)
    second, _ = fx.make("second.iso")
    check(first.read_bytes() == second.read_bytes(), "two runs gave different images")

    # A copy made in the reverse order, dates kept: the directory order on the disk differs,
    # the image does not.
    copy = ctx.root / "copy"
    copy.mkdir()
    for path in sorted(tree(fx.payload), reverse=True):
        source = fx.payload / path
        target = copy / path
        target.parent.mkdir(parents=True, exist_ok=True)
        if source.is_dir():
            target.mkdir(exist_ok=True)
        else:
            shutil.copy2(source, target)
    set_times(copy)
    third, _ = fx.make("copy.iso", payload=copy)
    check(first.read_bytes() == third.read_bytes(), "a copy of the payload gave another image")

    # With SOURCE_DATE_EPOCH the files' own dates do not matter.
    epoch = {"SOURCE_DATE_EPOCH": "1700000000"}
    fourth, _ = fx.make("epoch1.iso", env=epoch)
    set_times(copy, FIXTURE_TIME + 12345)
    fifth, _ = fx.make("epoch2.iso", env=epoch, payload=copy)
    check(fourth.read_bytes() == fifth.read_bytes(), "SOURCE_DATE_EPOCH did not fix the dates")
    check(volume_info(fourth)["Creation Time"] == "2023111422132000", "the date of the epoch")
    check(fourth.read_bytes() != first.read_bytes(), "the date made no difference")


# ---------------------------------------------------------------------------------------------
# Case: autorun.sh, as a desktop and as a person run it


def case_autorun_sh(ctx):
    fx = Fixture(ctx.root, ctx.args)
    image, _ = fx.make()
    script = extract(image, ctx.root / "extracted") / "autorun.sh"
    # A mount point with blanks, quotes, Cyrillic and what a shell would expand.
    mount = ctx.root / "media" / "VELMORRA 'Диск' \"1\" $(touch PWNED) `id` *"
    mount.mkdir(parents=True)
    shutil.copyfile(script, mount / "autorun.sh")  # without its execute bit, as a desktop may
    log = ctx.root / "velmorra.log"
    (mount / "velmorra").write_text(
        "#!/bin/sh\n"
        'printf "%s\\n" "$$" "$(pwd)" "$#" >> "$LOG"\n'
        'for a in "$@"; do printf "[%s]\\n" "$a" >> "$LOG"; done\n')
    (mount / "velmorra").chmod(0o755)
    elsewhere = ctx.root / "elsewhere"
    elsewhere.mkdir()
    odd_args = ["a b", "", "-x", "Ж", "*", "$HOME", "line\nbreak"]

    cases = [
        # name, command, current folder, extra environment
        ("the desktop runs it by its full path", ["/bin/sh", mount / "autorun.sh"], elsewhere, {}),
        ("from its own folder", ["/bin/sh", "autorun.sh"], mount, {}),
        ("by a path relative to another folder, CDPATH set",
         ["/bin/sh", Path("media") / mount.name / "autorun.sh"], ctx.root,
         {"CDPATH": str(elsewhere)}),
        ("with arguments", ["/bin/sh", mount / "autorun.sh"] + odd_args, elsewhere, {}),
    ]
    for name, cmd, cwd, env in cases:
        log.write_text("")
        proc = subprocess.Popen([str(c) for c in cmd], cwd=cwd,
                                env=dict(os.environ, LOG=str(log), **env),
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        out, err = proc.communicate(timeout=30)
        check(proc.returncode == 0, "%s: exit %d, %r" % (name, proc.returncode, err))
        check(out == b"" and err == b"", "%s: printed %r %r" % (name, out, err))
        lines = log.read_text().split("\n")
        given = odd_args if "arguments" in name else []
        expected = [str(proc.pid), str(mount), str(len(given))] + ["[%s]" % a for a in given] + [""]
        check("\n".join(lines) == "\n".join(expected),
              "%s: the menu saw %r, expected %r" % (name, lines, expected))
    check(not list(ctx.root.rglob("PWNED")), "a shell ran part of the mount point's name")


# ---------------------------------------------------------------------------------------------
# Case: bad input


def stub_xorriso(folder, then):
    """An xorriso that tells a small size, and when asked to write, writes part of an image and
    then `then` ("fail": exits 5; "hang": waits to be stopped)."""
    folder.mkdir(exist_ok=True)
    stub = folder / "xorriso"
    stub.write_text(
        "#!/bin/sh\n"
        'for a; do [ "${prev:-}" = -o ] && out=$a; prev=$a; done\n'
        'case " $* " in *" -print-size "*) echo 100; exit 0 ;; esac\n'
        'printf "part of an image" > "$out"\n' +
        ("exit 5\n" if then == "fail" else "exec sleep 60\n"))
    stub.chmod(0o755)
    return {"PATH": "%s:%s" % (folder, os.environ["PATH"])}


def path_without_xorriso(folder):
    """A PATH of every program the system has except xorriso."""
    folder.mkdir()
    for directory in os.environ["PATH"].split(":"):
        if not os.path.isdir(directory):
            continue
        for name in os.listdir(directory):
            if "xorriso" in name or (folder / name).exists():
                continue
            os.symlink(os.path.join(directory, name), folder / name)
    return {"PATH": str(folder)}


def sparse_file(path, size):
    with open(path, "wb") as f:
        f.truncate(size)


class Bad:
    """One row: what to do to a fresh fixture, how to call the script, and what the user sees."""

    def __init__(self, name, prepare=None, args=None, code=1, says=(), image=False, env=None,
                 as_user=False, interrupt=False, volume_id=None, without_licences=False):
        self.name = name
        self.prepare = prepare or (lambda fx, case_root: None)
        self.args = args
        self.code = code
        self.says = says
        self.image = image
        self.env = env
        self.as_user = as_user
        self.interrupt = interrupt
        self.volume_id = volume_id
        self.without_licences = without_licences


def default_args(fx):
    return [fx.payload, fx.out / "disc.iso"] + fx.program_options()


BAD_INPUT = [
    Bad("no arguments", args=lambda fx: [], code=2, says=["usage:"]),
    Bad("no output", args=lambda fx: [fx.payload], code=2, says=["usage:"]),
    Bad("three folders", args=lambda fx: default_args(fx) + ["more"], code=2,
        says=["one payload folder and one output file"]),
    Bad("an unknown option", args=lambda fx: default_args(fx) + ["--lable", "X"], code=2,
        says=["unknown option --lable", "usage:"]),
    Bad("a label option without its label", args=lambda fx: default_args(fx) + ["--label"],
        code=2, says=["--label needs a value"]),
    Bad("a missing payload", args=lambda fx: [fx.root / "nowhere", fx.out / "disc.iso"],
        says=["the payload folder", "nowhere does not exist"]),
    Bad("a payload that is a file",
        args=lambda fx: [fx.payload / "setup.exe", fx.out / "disc.iso"] + fx.program_options(),
        says=["setup.exe is not a folder"]),
    Bad("an unreadable payload", prepare=lambda fx, r: fx.payload.chmod(0),
        says=["payload folder", "cannot be read"], as_user=True),
    Bad("an unreadable file in the payload",
        prepare=lambda fx, r: (fx.payload / "data" / "cars" / "car1.pak").chmod(0),
        says=["has what cannot be read", "    data/cars/car1.pak"], as_user=True),
    Bad("an unreadable folder in the payload",
        prepare=lambda fx, r: (fx.payload / "data" / "cars").chmod(0o600),
        says=["has what cannot be read", "    data/cars\n"], as_user=True),
    Bad("a broken link in the payload",
        prepare=lambda fx, r: os.symlink("nowhere.dat", fx.payload / "data" / "big.dat"),
        says=["cannot hold", "    data/big.dat"]),
    Bad("a named pipe in the payload", prepare=lambda fx, r: os.mkfifo(fx.payload / "pipe"),
        says=["cannot hold", "    pipe"]),
    Bad("a payload without setup.exe", prepare=lambda fx, r: (fx.payload / "setup.exe").unlink(),
        code=0, image=True, says=["warning: the payload has no setup.exe"]),
    Bad("a payload without the add-on folder or the DirectX setup",
        prepare=lambda fx, r: (shutil.rmtree(fx.payload / "addon"),
                               shutil.rmtree(fx.payload / "DirectX")),
        code=0, image=True, says=["warning: the payload has no folder addon",
                                  "warning: the payload has no DirectX/DXSETUP.exe"]),
    Bad("a payload with SETUP.EXE in upper case (no warning)",
        prepare=lambda fx, r: (fx.payload / "setup.exe").rename(fx.payload / "SETUP.EXE"),
        code=0, image=True, says=["made"]),
    Bad("a payload with a name Windows cuts short",
        prepare=lambda fx, r: (fx.payload / "addon" / (LONG_NAME[:-4] + "ы.txt")).write_text(""),
        code=0, image=True, says=["warning: Windows shows these names cut to 103 characters",
                                  "    addon/" + LONG_NAME[:-4] + "ы.txt"]),
] + [
    Bad("a payload with its own " + name, prepare=(lambda n: lambda fx, r: (
        (fx.payload / n).mkdir() if "." not in n else (fx.payload / n).write_text("mine")))(name),
        says=["names the disc needs", "    %s (the disc's %s)" % (name, name.lower())])
    for name in ("VELMORRA.EXE", "Velmorra", "autorun.inf", "AutoRun.sh", "Licences")
] + [
    Bad("a label with characters a volume id cannot hold",
        args=lambda fx: default_args(fx) + ["--label", "Velmorra: Диск 1"], code=0, image=True,
        says=['the label "Velmorra: Диск 1" became "VELMORRA_1"'], volume_id="VELMORRA_1"),
    Bad("a label longer than a volume id",
        args=lambda fx: default_args(fx) + ["--label=VELMORRA_THE_GAME_OF_CARS_AND_ROADS_2"],
        code=0, image=True, says=['became "VELMORRA_THE_GAME_OF_CARS_AND_RO"'],
        volume_id="VELMORRA_THE_GAME_OF_CARS_AND_RO"),
    Bad("a label with nothing a volume id can hold",
        args=lambda fx: default_args(fx) + ["--label", "Диск"],
        says=['the label "Диск" has no letter A-Z or digit']),
    Bad("the output in the payload",
        args=lambda fx: [fx.payload, fx.payload / "disc.iso"] + fx.program_options(),
        says=["lies in the payload folder"]),
    Bad("the output in the payload through a link",
        prepare=lambda fx, r: os.symlink(fx.payload / "addon", r / "via"),
        args=lambda fx: [fx.payload, fx.root / "via" / "disc.iso"] + fx.program_options(),
        says=["lies in the payload folder"]),
    Bad("the output in a missing folder",
        args=lambda fx: [fx.payload, fx.root / "nowhere" / "disc.iso"] + fx.program_options(),
        says=["nowhere for the image does not exist"]),
    Bad("the output is a folder",
        args=lambda fx: [fx.payload, fx.out] + fx.program_options(), says=["is a folder"]),
    Bad("an image larger than a CD (a dry run)",
        prepare=lambda fx, r: sparse_file(fx.payload / "data" / "big.pak", 800 * 10**6),
        args=lambda fx: default_args(fx) + ["--dry-run"], code=0,
        says=["MB: more than a CD holds (700 MB), a DVD takes it (4.7 GB)", "would be"]),
    Bad("an image larger than a DVD (a dry run)",
        prepare=lambda fx, r: sparse_file(fx.payload / "data" / "big.pak", 4800 * 10**6),
        args=lambda fx: default_args(fx) + ["--dry-run"], code=0,
        says=["warning: the image is 480", "MB: more than a single-layer DVD holds (4.7 GB)"]),
    Bad("a missing Windows program",
        args=lambda fx: default_args(fx) + ["--windows-program", fx.root / "none.exe"],
        says=["the Windows program", "none.exe does not exist", "--windows-program"]),
    Bad("the Linux program given as the Windows one",
        args=lambda fx: default_args(fx) + ["--windows-program", fx.linux_program],
        says=["is not a Windows program"]),
    Bad("a missing Linux program",
        args=lambda fx: default_args(fx) + ["--linux-program", fx.root / "none"],
        says=["the Linux program", "none does not exist", "--linux-program"]),
    Bad("a missing licence folder",
        args=lambda fx: default_args(fx) + ["--licences", fx.root / "none"],
        says=["the licence folder", "none does not exist"]),
    Bad("an empty licence folder", prepare=lambda fx, r: (r / "empty").mkdir(),
        args=lambda fx: default_args(fx) + ["--licences", fx.root / "empty"], code=0, image=True,
        says=["holds no licence text: the disc carries none"], without_licences=True),
    Bad("SOURCE_DATE_EPOCH that is not a number", env=lambda fx, r: {"SOURCE_DATE_EPOCH": "today"},
        says=["SOURCE_DATE_EPOCH must be seconds since 1970"]),
    Bad("no xorriso", env=lambda fx, r: path_without_xorriso(r / "no-xorriso"),
        says=["xorriso is not installed", "apt-get install xorriso"]),
    Bad("xorriso failing while it writes", env=lambda fx, r: stub_xorriso(r / "stub", "fail"),
        says=["xorriso could not write the image"]),
    Bad("stopped while it writes", env=lambda fx, r: stub_xorriso(r / "stub", "hang"),
        code=143, interrupt=True),
]


def run_bad(case, fx, case_root):
    env = dict(case.env(fx, case_root) if case.env else {}, TMPDIR=str(case_root / "tmp"))
    args = case.args(fx) if case.args else default_args(fx)
    if not case.interrupt:
        return make_disc(args, env, as_user=case.as_user)
    full_env = dict(os.environ, **env)
    proc = subprocess.Popen(["sh", str(SCRIPT)] + [str(a) for a in args], env=full_env,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        eventually("the partial image", lambda: any(
            p.name.startswith(".disc.iso.") and p.stat().st_size for p in fx.out.iterdir()))
        proc.send_signal(signal.SIGTERM)
        try:
            out, err = proc.communicate(timeout=30)
        except subprocess.TimeoutExpired:
            raise Failure("the script did not end on SIGTERM (its writer still runs)")
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
    return proc.returncode, out, err


def problems_of(case, fx, case_root):
    """What is wrong with how the script met one row, as a list of sentences, and its stderr."""
    old = fx.out / "disc.iso"
    old.write_bytes(b"the image made before")
    case.prepare(fx, case_root)
    (case_root / "tmp").mkdir()
    payload_before = tree(fx.payload)
    code, out, err = run_bad(case, fx, case_root)
    problems = []
    if code != case.code:
        problems.append("exit status %d, not %d" % (code, case.code))
    if out:
        problems.append("printed on stdout: %r" % out)
    problems += ["stderr lacks %r" % text for text in case.says if text not in err]
    if case.code != 0 and not err.strip():
        problems.append("said nothing")
    if tree(fx.payload) != payload_before:
        problems.append("the payload changed")
    left = sorted(p.name for p in fx.out.iterdir())
    if left != ["disc.iso"]:
        problems.append("the output folder holds %s" % left)
    if os.listdir(case_root / "tmp"):
        problems.append("left in TMPDIR: %s" % os.listdir(case_root / "tmp"))
    made = old.read_bytes() != b"the image made before"
    if made != case.image:
        problems.append("an image was made" if made else "no image was made")
    if made and case.volume_id and volume_info(old).get("Volume Id") != case.volume_id:
        problems.append("the volume id is %r" % volume_info(old).get("Volume Id"))
    if made and case.without_licences and "licences" in listing(old):
        problems.append("a licences folder without licences")
    return problems, err


def case_bad_input(ctx):
    failures = []
    for number, case in enumerate(BAD_INPUT):
        case_root = ctx.root / ("case%02d" % number)
        case_root.mkdir()
        fx = Fixture(case_root, ctx.args)
        started = time.monotonic()
        try:
            problems, err = problems_of(case, fx, case_root)
        except Failure as e:
            problems, err = [str(e)], ""
        finally:
            make_writable(case_root)
        if problems:
            failures.append("%s: %s\n    stderr: %s" % (
                case.name, "; ".join(problems), err.strip().replace("\n", "\n    ")))
        else:
            print("ok: %s (%.1f s)" % (case.name, time.monotonic() - started))
    check(not failures, "\n".join(failures))


# ---------------------------------------------------------------------------------------------
# Case: the Linux menu from the image


def case_linux(ctx):
    fx = Fixture(ctx.root, ctx.args)
    image, _ = fx.make()
    # The disc as mounted: a folder with blanks, quotes and Cyrillic in its name, read-only.
    mount = extract(image, ctx.root / "media" / "VELMORRA 'Диск' \"1\"")
    for dirpath, dirnames, filenames in os.walk(mount):
        for name in filenames:
            p = Path(dirpath) / name
            p.chmod(p.stat().st_mode & ~0o222)
    disc = fx.disc
    disc.path = mount
    # What the desktop runs: /bin/sh and the disc's autorun.sh, from another folder. The menu
    # takes the script's process over, so the window is found by that process's id.
    elsewhere = ctx.root / "home"
    elsewhere.mkdir()
    desktop = ctx.root / "desktop-runs-autorun"
    desktop.write_text("#!/bin/sh\ncd %s || exit 1\nexec /bin/sh %s\n" % (
        shell_quote(elsewhere), shell_quote(mount / "autorun.sh")))
    desktop.chmod(0o755)

    x = e2e.XServer(ctx.procs, wm=True)
    menu = e2e.Menu(x, ctx.procs, str(desktop), disc)
    here = str(mount)
    menu.key("Return")
    e2e.expect_launches(disc, ["dxsetup"], "Enter")
    menu.key("Tab", "space")
    e2e.expect_launches(disc, ["dxsetup", "setup"], "Tab and Space")
    menu.click(e2e.centre(e2e.RZBUTTON2))
    e2e.expect_launches(disc, ["dxsetup", "setup", "xdg-open"], "a click on the add-on button")
    launches = e2e.settled(disc)
    check(launches[0] == ["dxsetup", here], "DXSETUP.exe started as %s" % launches[0])
    check(launches[1] == ["setup", here], "setup.exe started as %s" % launches[1])
    check(launches[2] == ["xdg-open", here, here + "/addon"], "addon opened as %s" % launches[2])
    check(menu.proc.poll() is None, "the menu ended")


def shell_quote(path):
    return "'" + str(path).replace("'", "'\\''") + "'"


# ---------------------------------------------------------------------------------------------
# Case: the Windows menu from the image, under Wine, from a CD-ROM drive


class WinePrefix:
    """A fresh prefix of the case's own on the case's X display; only its own wineserver is
    ever stopped."""

    def __init__(self, folder, x):
        self.folder = folder
        self.env = dict(x.env, WINEPREFIX=str(folder), WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=")
        self.started = False

    def run(self, *cmd, timeout=300):
        self.started = True
        r = run(list(cmd), env=self.env, timeout=timeout)
        check(r.returncode == 0, "%s failed: %s" % (" ".join(map(str, cmd)), r.stderr[-2000:]))
        return r.stdout

    def boot(self):
        self.run("wineboot", "-i")
        # Wine does not find Debian's fonts-wine for a new prefix; Windows has them in Fonts.
        fonts = self.folder / "drive_c" / "windows" / "Fonts"
        fonts.mkdir(parents=True, exist_ok=True)
        for font in Path(os.environ.get("WINE_FONTS", "/usr/share/wine/fonts")).iterdir():
            if not (fonts / font.name).exists():
                shutil.copyfile(font, fonts / font.name)

    def cdrom(self, letter, folder):
        """Gives a folder a drive letter of the type CD-ROM; Wine reads the drive types when
        its session starts, so the session is let end first."""
        link = self.folder / "dosdevices" / (letter + ":")
        if link.is_symlink() or link.exists():
            link.unlink()
        os.symlink(folder, link)
        self.run("wine", "reg", "add", r"HKLM\Software\Wine\Drives", "/v", letter + ":",
                 "/t", "REG_SZ", "/d", "cdrom", "/f")
        self.run("wineserver", "-w")

    def stop(self):
        if self.started:
            run(["wineserver", "-k"], env=self.env, timeout=60)


def wine_menu_window(x):
    """The menu's own window (the one with an owner, which is its taskbar entry's)."""
    for w in x.run(["xdotool", "search", "--name", "^Velmorra$"], check_rc=False).split():
        if "window id #" in x.run(["xprop", "-id", w, "WM_TRANSIENT_FOR"], check_rc=False):
            return int(w)
    return None


def case_wine(ctx):
    for tool in ("wine", "wineboot", "wineserver", MINGW_CC):
        check(shutil.which(tool), "missing tool: " + tool)
    payload = ctx.root / "payload"
    windows_standins(ctx.root, payload)
    r = run([MINGW_CC, "-Os", "-s", "-o", ctx.root / "drive_probe.exe", DRIVE_PROBE_SOURCE])
    check(r.returncode == 0, "cannot build the drive probe: " + r.stderr)
    licences = ctx.root / "licences"
    licences.mkdir()
    (licences / "font.txt").write_text("Licence of the font\n")
    image = ctx.root / "out" / "disc.iso"
    image.parent.mkdir()
    code, out, err = make_disc([payload, image, "--windows-program", ctx.args.windows_program,
                                "--linux-program", ctx.args.linux_program,
                                "--licences", licences])
    check(code == 0, "make-disc failed: " + err)
    cd = extract(image, ctx.root / "cd")
    for dirpath, dirnames, filenames in os.walk(cd):
        for name in filenames:
            p = Path(dirpath) / name
            p.chmod(p.stat().st_mode & ~0o222)

    x = e2e.XServer(ctx.procs, wm=True)
    wine = WinePrefix(ctx.root / "prefix", x)
    ctx.cleanups.append(wine.stop)
    wine.boot()
    wine.cdrom("d", cd)
    probe = wine.run("wine", ctx.root / "drive_probe.exe", "D:\\").replace("\r", "")
    check("type=5\n" in probe, "D: is no CD-ROM drive to Windows programs: %r" % probe)

    # AutoPlay runs the open= command of the disc's autorun.inf with the disc's root current.
    inf = (cd / "autorun.inf").read_bytes().decode("ascii")
    command = re.search(r"^open=(.*)\r$", inf, re.M).group(1)
    log = ctx.root / "launches.log"
    log.write_text("")
    env = dict(wine.env, VELMORRA_STANDIN_LOG=str(log))
    ctx.procs.add(subprocess.Popen(["wine", "start", "/d", "D:\\", command], env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    window = eventually("the menu's window", lambda: wine_menu_window(x), patience=60)
    eventually("the menu active", lambda: x.run(["xdotool", "getactivewindow"],
                                                check_rc=False).strip() == str(window))
    info = x.run(["xwininfo", "-id", str(window)])
    fields = dict(l.strip().split(":", 1) for l in info.splitlines() if ":" in l)
    origin = (int(fields["Absolute upper-left X"]), int(fields["Absolute upper-left Y"]))
    # Painted: RzButton2's silver frame.
    eventually("the menu painted",
               lambda: e2e.pixel(x, (origin[0] + 400, origin[1] + 414)) == (192, 192, 192))

    def lines():
        return [l for l in log.read_text(errors="replace").splitlines() if l]

    def active_for_a_second():
        """Wine activates a window of each started program for a moment; a click then would
        go astray, so each waits until the menu has been active a whole second."""
        since = time.monotonic()
        while time.monotonic() - since < 1.0:
            if x.run(["xdotool", "getactivewindow"], check_rc=False).strip() != str(window):
                return False
            time.sleep(0.05)
        return True

    expected = []
    for button, line in ((e2e.RZBUTTON7, "cmd=setup.exe|show=1|flags=1|cwd=D:\\"),
                         (e2e.RZBUTTON2, "cmd=explorer.exe addon|show=3|flags=1|cwd=D:\\"),
                         (e2e.RZBUTTON1, "cmd=DirectX\\DXSETUP.exe|show=1|flags=1|cwd=D:\\")):
        eventually("the menu active for a while", active_for_a_second)
        cx, cy = e2e.centre(button)
        x.xdotool("mousemove", origin[0] + cx, origin[1] + cy)
        x.xdotool("click", 1)
        expected.append(line)
        try:
            eventually(line, lambda: len(lines()) >= len(expected), patience=30)
        except Failure as e:
            raise Failure("%s; launched %s" % (e, lines()))
        time.sleep(0.8)  # a second launch of the same click would show now
        check(lines() == expected, "launched %s, expected %s" % (lines(), expected))
    check(wine_menu_window(x) == window, "the menu's window is gone")


# ---------------------------------------------------------------------------------------------


CASES = {name[len("case_"):]: f for name, f in globals().items() if name.startswith("case_")}


class Context:
    """A case's temporary folder, the processes it started and what else it must undo."""

    def __init__(self, args):
        self.args = args
        self.root = Path(tempfile.mkdtemp(prefix="velmorra-disc-"))
        self.procs = e2e.Processes()
        self.cleanups = []

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        for cleanup in reversed(self.cleanups):
            cleanup()
        self.procs.end_all()
        make_writable(self.root)
        shutil.rmtree(self.root, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("case", choices=sorted(CASES))
    parser.add_argument("--linux-program", required=True)
    parser.add_argument("--windows-program", required=True)
    args = parser.parse_args()
    for program in (args.linux_program, args.windows_program):
        if not os.path.isfile(program):
            print("missing program %s: build the linux and windows presets first" % program,
                  file=sys.stderr)
            return 1
    for tool in ("xorriso", "Xvfb", "openbox", "xdotool", "xprop", "xwininfo", "import",
                 "setpriv"):
        if not shutil.which(tool):
            print("missing tool: " + tool, file=sys.stderr)
            return 1
    with Context(args) as ctx:
        try:
            CASES[args.case](ctx)
        except Failure as e:
            print("FAIL %s: %s" % (args.case, e), file=sys.stderr)
            return 1
    print("PASS " + args.case)
    return 0


if __name__ == "__main__":
    sys.exit(main())
