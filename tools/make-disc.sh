#!/bin/sh
# Makes the game disc: an ISO 9660 image with Rock Ridge and Joliet of a publisher's folder, with
# the menu and everything that starts it added at the image's root.
#
#   make-disc.sh PAYLOAD_DIR OUTPUT.iso [--label LABEL] [--windows-program PATH]
#                      [--linux-program PATH] [--licences DIR] [--dry-run]
#
# PAYLOAD_DIR is the publisher's folder (setup.exe, addon/, DirectX/DXSETUP.exe, anything else);
# it is only read. The image's root holds it and, beside it:
#   velmorra.exe   the Windows menu (default build/windows32/velmorra.exe of this repository)
#   velmorra       the Linux menu, executable (default build/linux/velmorra)
#   autorun.inf    opens velmorra.exe, with its icon and the disc's label
#   autorun.sh     what a Linux desktop runs from the disc: the menu, from the disc's root
#   licences/      every file of resources/licences/ (or --licences DIR): the licence texts of
#                  the font and libraries the programs carry. Where that folder is missing or
#                  holds no file, the disc gets no licences/ folder and a warning says so.
# A payload entry whose name equals one of these, whatever its case, is refused.
#
# --label becomes the volume id and autorun.inf's label (default VELMORRA). A volume id holds
# A-Z, 0-9 and _ only, at most 32 of them: letters are put in upper case, every run of other
# characters becomes one _, and a warning says what the label became.
# --dry-run checks everything and tells the image's size, but writes nothing.
#
# Every file, folder and volume date on the image is one time: SOURCE_DATE_EPOCH where it is
# set, else the newest modification time of the files that go on the disc. The same input
# therefore gives the same bytes. Symbolic links in the payload are followed.
#
# Messages go to stderr. Exit status: 0 made (perhaps with warnings), 1 refused or failed,
# 2 wrong usage. On any failure no image, whole or partial, is left behind, and an existing
# OUTPUT.iso stays as it was.
set -eu

me=make-disc
repo=$(CDPATH='' cd -- "$(dirname -- "$0")/.." && pwd -P)

usage() {
    echo "usage: $0 PAYLOAD_DIR OUTPUT.iso [--label LABEL] [--windows-program PATH]" >&2
    echo "       [--linux-program PATH] [--licences DIR] [--dry-run]" >&2
    exit 2
}
fail() {
    echo "$me: error: $*" >&2
    exit 1
}
warn() {
    echo "$me: warning: $*" >&2
}
note() {
    echo "$me: $*" >&2
}
# Up to five lines of a list, indented, and how many more there are.
show_some() {
    printf '%s\n' "$1" | sed -n '1,5s/^/    /p' >&2
    more=$(($(printf '%s\n' "$1" | wc -l) - 5))
    if [ "$more" -gt 0 ]; then echo "    and $more more" >&2; fi
}
nl='
'
lower() {
    printf '%s' "$1" | LC_ALL=C tr '[:upper:]' '[:lower:]'
}

# --- Arguments -----------------------------------------------------------------------------

payload='' output='' label=VELMORRA dry_run=''
windows_program=$repo/build/windows32/velmorra.exe
linux_program=$repo/build/linux/velmorra
licences=$repo/resources/licences
licences_given=''
positional=0
need_value() {
    [ "$1" -ge 2 ] || { echo "$me: $2 needs a value" >&2; usage; }
}
while [ $# -gt 0 ]; do
    case $1 in
        --label) need_value $# "$1"; label=$2; shift ;;
        --label=*) label=${1#*=} ;;
        --windows-program) need_value $# "$1"; windows_program=$2; shift ;;
        --windows-program=*) windows_program=${1#*=} ;;
        --linux-program) need_value $# "$1"; linux_program=$2; shift ;;
        --linux-program=*) linux_program=${1#*=} ;;
        --licences) need_value $# "$1"; licences=$2; licences_given=1; shift ;;
        --licences=*) licences=${1#*=}; licences_given=1 ;;
        --dry-run) dry_run=1 ;;
        -h | --help) sed -n '2,/^$/s/^# \{0,1\}//p' "$0"; exit 0 ;;
        --) shift; break ;;
        -?*) echo "$me: unknown option $1" >&2; usage ;;
        *)
            positional=$((positional + 1))
            case $positional in
                1) payload=$1 ;;
                2) output=$1 ;;
                *) echo "$me: one payload folder and one output file, no more" >&2; usage ;;
            esac
            ;;
    esac
    shift
done
for rest in "$@"; do
    positional=$((positional + 1))
    case $positional in
        1) payload=$rest ;;
        2) output=$rest ;;
        *) echo "$me: one payload folder and one output file, no more" >&2; usage ;;
    esac
done
if [ -z "$payload" ] || [ -z "$output" ]; then usage; fi

command -v xorriso >/dev/null 2>&1 ||
    fail "xorriso is not installed; on Debian: apt-get install xorriso"

# --- The payload ---------------------------------------------------------------------------

[ -e "$payload" ] || fail "the payload folder $payload does not exist"
[ -d "$payload" ] || fail "the payload $payload is not a folder"
if [ ! -r "$payload" ] || [ ! -x "$payload" ]; then
    fail "the payload folder $payload cannot be read"
fi
payload=$(CDPATH='' cd -- "$payload" && pwd -P)

# Everything in it must be readable, and only files and folders can go on a disc.
unreadable=$(find -L "$payload" -type l -o \( ! -readable -o -type d ! -executable \) \
    -printf '%P\n' -prune 2>/dev/null) || true
if [ -n "$unreadable" ]; then
    echo "$me: error: the payload has what cannot be read:" >&2
    show_some "$unreadable"
    exit 1
fi
odd=$(find -L "$payload" ! -type f ! -type d -printf '%P\n' 2>&1) || true
if [ -n "$odd" ]; then
    echo "$me: error: the payload has what a disc cannot hold (files and folders only;" \
        "a symbolic link must lead to one):" >&2
    show_some "$odd"
    exit 1
fi

# The menu's three buttons start these; a disc may lack some, but the publisher should know.
has() { # has TYPE PATH: PATH in the payload is of that type, its name in any case
    (cd -- "$payload" && find -L . -mindepth 1 -maxdepth 2 -ipath "./$2" -type "$1" | grep -q .)
}
has f setup.exe ||
    warn "the payload has no setup.exe: \"Установить Игру\" will start nothing"
has d addon ||
    warn "the payload has no folder addon: \"VELMORRA Car Upgrade\" will open nothing"
has f DirectX/DXSETUP.exe ||
    warn "the payload has no DirectX/DXSETUP.exe: \"Установить DirectX\" will start nothing"

# Windows shows Joliet names of at most 103 characters.
long_names=$(LC_ALL=C.UTF-8 find -L "$payload" -regextype posix-extended \
    -regex '.*/[^/]{104,}' -printf '%P\n' 2>/dev/null) || true
if [ -n "$long_names" ]; then
    warn "Windows shows these names cut to 103 characters:"
    show_some "$long_names"
fi

# --- What the script adds ------------------------------------------------------------------

check_program() { # check_program WHAT PATH OPTION HOW_TO_BUILD: a readable program file
    [ -e "$2" ] || fail "the $1 program $2 does not exist; $4, or name another with $3"
    if [ ! -f "$2" ] || [ ! -r "$2" ]; then fail "the $1 program $2 is not a readable file"; fi
    magic=$(head -c 4 -- "$2" | od -An -tx1 | tr -d ' \n')
    case $1:$magic in
        Windows:4d5a*) ;;     # "MZ"
        Linux:7f454c46) ;;    # ELF
        *) fail "$2 is not a $1 program (name the $1 program with $3)" ;;
    esac
}
check_program Windows "$windows_program" --windows-program \
    "build it with: cmake --preset windows32 && cmake --build --preset windows32"
check_program Linux "$linux_program" --linux-program \
    "build it with: cmake --preset linux && cmake --build --preset linux"

if [ -n "$licences_given" ] && [ ! -d "$licences" ]; then
    fail "the licence folder $licences does not exist"
fi
if [ -d "$licences" ] && [ -n "$(find -L "$licences" -type f 2>/dev/null | head -n 1)" ]; then
    if [ -n "$(find -L "$licences" ! -readable 2>&1)" ]; then
        fail "the licence folder $licences cannot be read"
    fi
    added="velmorra.exe velmorra autorun.inf autorun.sh licences"
else
    warn "$licences holds no licence text: the disc carries none"
    licences=''
    added="velmorra.exe velmorra autorun.inf autorun.sh"
fi

# A publisher's file is never replaced by one of ours, nor put beside one that Windows would
# take for the same name.
clashes=''
for entry in "$payload"/* "$payload"/.[!.]* "$payload"/..?*; do
    [ -e "$entry" ] || [ -L "$entry" ] || continue
    name=${entry##*/}
    for ours in $added; do
        if [ "$(lower "$name")" = "$ours" ]; then
            clashes="$clashes${clashes:+$nl}$name (the disc's $ours)"
        fi
    done
done
if [ -n "$clashes" ]; then
    echo "$me: error: the payload has names the disc needs for its own files; rename or" \
        "remove them:" >&2
    show_some "$clashes"
    exit 1
fi

# --- The label -----------------------------------------------------------------------------

volume_id=$(printf '%s' "$label" | LC_ALL=C tr 'a-z\n' 'A-Z ' |
    LC_ALL=C sed 's/[^A-Z0-9_][^A-Z0-9_]*/_/g' | LC_ALL=C cut -c 1-32)
case $volume_id in
    *[A-Z0-9]*) ;;
    *) fail "the label \"$label\" has no letter A-Z or digit, which a volume id needs" ;;
esac
if [ "$volume_id" != "$label" ]; then
    warn "a volume id holds only A-Z, 0-9 and _, at most 32: the label \"$label\" became" \
        "\"$volume_id\""
fi

# --- The output ----------------------------------------------------------------------------

case $output in
    */) fail "the output $output names a folder, not an image file" ;;
esac
[ ! -d "$output" ] || fail "the output $output is a folder"
output_dir=$(dirname -- "$output")
output_name=${output##*/}
[ -d "$output_dir" ] || fail "the folder $output_dir for the image does not exist"
output_dir=$(CDPATH='' cd -- "$output_dir" && pwd -P)
case $output_dir/ in
    "$payload"/*) fail "the output $output lies in the payload folder; put it elsewhere" ;;
esac

# --- The disc's date -----------------------------------------------------------------------

if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    case $SOURCE_DATE_EPOCH in
        *[!0-9]*) fail "SOURCE_DATE_EPOCH must be seconds since 1970, not $SOURCE_DATE_EPOCH" ;;
    esac
    epoch=$SOURCE_DATE_EPOCH
else
    epoch=$(find -L "$payload" "$windows_program" "$linux_program" ${licences:+"$licences"} \
        -printf '%T@\n' | sort -n | tail -n 1)
    epoch=${epoch%.*}
fi
date=$(date -u -d "@$epoch" +%Y%m%d%H%M%S00)

# --- Staging and writing -------------------------------------------------------------------

work='' part='' writer=''
cleanup() {
    if [ -n "$writer" ]; then kill "$writer" 2>/dev/null || true; fi
    if [ -n "$part" ]; then rm -f -- "$part"; fi
    if [ -n "$work" ]; then rm -rf -- "$work"; fi
}
trap cleanup EXIT
stopped() {
    echo "$me: stopped; no image was made" >&2
    exit "$1"
}
trap 'stopped 129' HUP
trap 'stopped 130' INT
trap 'stopped 143' TERM

work=$(mktemp -d "${TMPDIR:-/tmp}/$me.XXXXXX") || fail "cannot make a temporary folder"
stage=$work/disc
mkdir "$stage"
cp -- "$windows_program" "$stage/velmorra.exe"
cp -- "$linux_program" "$stage/velmorra"
printf '[autorun]\r\nopen=velmorra.exe\r\nicon=velmorra.exe,0\r\nlabel=%s\r\n' "$volume_id" \
    >"$stage/autorun.inf"
cat >"$stage/autorun.sh" <<'EOF'
#!/bin/sh
# Starts the disc's menu with the disc's root as the current folder.
case $0 in */*) CDPATH='' cd -- "${0%/*}/" || exit 1 ;; esac
exec ./velmorra "$@"
EOF
chmod 0755 "$stage/velmorra" "$stage/autorun.sh"
chmod 0644 "$stage/velmorra.exe" "$stage/autorun.inf"
if [ -n "$licences" ]; then cp -RL -- "$licences" "$stage/licences"; fi

# Rock Ridge with owner root and modes r-x or r--; Joliet with names up to 103 characters;
# ISO level 3 so that a file may be larger than 4 GiB.
set -- -report_about WARNING -as mkisofs -quiet -iso-level 3 -r -J -joliet-long -follow-links \
    -V "$volume_id" --modification-date="$date" --set_all_file_dates "$date" "$payload" "$stage"

# What xorriso said, less its greeting.
xorriso_said() {
    grep -v -e '^xorriso .* : RockRidge filesystem manipulator' -e '^$' "$1" >&2 || true
}
sectors=$(xorriso "$@" -print-size 2>"$work/size.log" | tail -n 1) || true
xorriso_said "$work/size.log"
case $sectors in
    '' | *[!0-9]*)
        fail "xorriso cannot make an image of this payload (its messages are above)" ;;
esac
megabytes=$(((sectors * 2048 + 999999) / 1000000))
cd_sectors=360000        # 700 MB, an 80-minute CD
dvd_sectors=2295104      # 4.7 GB, a single-layer DVD
if [ "$sectors" -gt "$dvd_sectors" ]; then
    warn "the image is $megabytes MB: more than a single-layer DVD holds (4.7 GB)"
elif [ "$sectors" -gt "$cd_sectors" ]; then
    note "the image is $megabytes MB: more than a CD holds (700 MB), a DVD takes it (4.7 GB)"
fi

if [ -n "$dry_run" ]; then
    note "checked; $output would be $megabytes MB with the volume id $volume_id"
    exit 0
fi

[ -w "$output_dir" ] || fail "cannot write in $output_dir"
part=$(mktemp "$output_dir/.$output_name.XXXXXX") ||
    fail "cannot write in $output_dir"
# In the background, so that a signal stops the writing at once.
xorriso "$@" -o "$part" 2>"$work/write.log" &
writer=$!
status=0
wait "$writer" || status=$?
writer=''
xorriso_said "$work/write.log"
if [ "$status" -ne 0 ] || [ ! -s "$part" ]; then fail "xorriso could not write the image"; fi
chmod "$(printf '%o' $((0666 & ~0$(umask))))" "$part"
mv -f -- "$part" "$output"
part=''
note "made $output: $megabytes MB, volume id $volume_id"
