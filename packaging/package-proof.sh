#!/usr/bin/env bash
# Builds the Debian package and proves it as a Debian user and maintainer would:
#   - a release build with Debian's hardening flags, and the package: its size, dpkg -I, dpkg -c;
#   - a second build in another folder, compared with the first byte for byte;
#   - the validators on the menu entry, the AppStream metadata and the manual pages;
#   - lintian --pedantic, every tag it gives listed with what it means for this package;
#   - on a clean Debian 12 root made here with debootstrap: apt-get install --no-install-recommends
#     (the packages it pulls are counted), --help and --version of every program, a first
#     conversation as a fresh user, the window's sound cues recorded through a null sink of a
#     sound server, and an upgrade: a newer package (this tree as the next version, with a new
#     entry and a changed reply) installed over the old one after the user has talked; the new
#     entry answers, the changed reply is there, every learnt entry and line is kept and the
#     backup of the old files exists.
# Run as root. The only network it uses is the package archive that this machine's apt
# configuration names. Not part of ./test.sh.
#   TOVRIN_KEEP_ROOT=1  keeps the Debian root for a look afterwards
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"
suite=bookworm
build=build-deb

step() { printf '\n==== %s\n' "$*"; }
fail() { echo "package-proof: $*" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || fail "run it as root (it installs packages and makes a Debian root)"

step "Tools"
source tools/deps.sh
tovrin_install_deps dpkg-dev fakeroot file debootstrap lintian appstream desktop-file-utils groff man-db

# Builds the tree in $1 into the folder $2 and makes the package there.
make_package() {
  local source=$1 folder=$2
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S "$source" -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOVRIN_TESTS=OFF "${launcher[@]}" \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
  cmake --build "$folder" -j"$(nproc)" >/dev/null
  rm -f "$folder"/tovrin_*.deb
  (cd "$folder" && cpack -G DEB >/dev/null)
  ls "$folder"/tovrin_*.deb
}

step "Release build with Debian's hardening flags, and the package"
deb=$(make_package "$here" "$build")
echo "$deb: $(stat -c %s "$deb") bytes ($(du -k "$deb" | cut -f1) KiB), installed $(dpkg-deb -f "$deb" Installed-Size) KiB"
hardening-check "$build"/_CPack_Packages/*/DEB/*/usr/games/tovrin-kb 2>/dev/null | sed 's/^/  /' || true

step "Control (dpkg -I)"
dpkg -I "$deb"

step "Contents (dpkg -c)"
dpkg -c "$deb" | awk '{print $1, $2, $6, $7, $8}'

step "A second build in another folder, compared byte for byte"
deb2=$(make_package "$here" "$build-again")
if cmp "$deb" "$deb2"; then
  echo "$(basename "$deb"): the two builds are the same, byte for byte ($(sha256sum <"$deb" | cut -c1-16)...)"
else
  diffoscope --version >/dev/null 2>&1 && diffoscope "$deb" "$deb2" | head -40
  fail "the two builds differ"
fi

step "Validators"
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked/usr/share/applications/tovrin.desktop" && echo "desktop-file-validate: clean"
appstreamcli validate --no-net "$unpacked/usr/share/metainfo/io.github.tovrin.Tovrin.metainfo.xml"
for page in "$unpacked"/usr/share/man/man*/*.gz "$unpacked"/usr/share/man/ru/man*/*.gz; do
  # English pages must read in the C locale (plain ASCII output), the Russian ones in UTF-8.
  case "$page" in
  */ru/*) warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null) ;;
  *) warnings=$(LC_ALL=C MANROFFSEQ='' MANWIDTH=80 man --warnings -l -Z "$page" 2>&1 >/dev/null) ;;
  esac
  [ -z "$warnings" ] || fail "$page: $warnings"
  zcat "$page" | groff -ww -man -k -Tutf8 >/dev/null 2>"$unpacked/groff.err"
  [ ! -s "$unpacked/groff.err" ] || fail "$page: $(cat "$unpacked/groff.err")"
  hyphenated=$(zcat "$page" | groff -man -k -Tutf8 -P-cbou 2>/dev/null | grep -c -- '‐$' || true)
  [ "$hyphenated" -eq 0 ] || fail "$page: $hyphenated lines end in a hyphenated word"
  echo "${page#"$unpacked"}: renders without warnings, nothing hyphenated"
done

step "lintian --pedantic: every tag, and what it means here"
lintian --pedantic --display-info --display-experimental --tag-display-limit 0 "$deb" >"$unpacked/lintian.txt" || true
cat "$unpacked/lintian.txt"
explain_tag() {
  case "$1" in
  initial-upload-closes-no-bugs) echo "the package is not in Debian's archive, so no ITP bug is there to close; kept" ;;
  binary-has-unneeded-section) echo "the compiler's .comment note, which CPack's strip leaves (dh_strip would remove it); harmless, a few hundred bytes" ;;
  hardening-no-fortify-functions) echo "built with _FORTIFY_SOURCE=2 like the others, but this binary calls none of the functions it checks: nothing to fortify" ;;
  package-contains-documentation-outside-usr-share-doc) echo "ReadMe.Txt is the history text the about window shows from the working folder: data the program reads, not documentation" ;;
  spelling-error-in-binary) echo "pieces of words in the string table (format pieces such as %lon... and cut words), no misspelt message" ;;
  arch-dep-package-has-big-usr-share) echo "the delivered knowledge (Words.Dat, 5.4 MB) is most of the package; a separate architecture-independent data package would save mirrors a copy per architecture, left for when there is more than one architecture" ;;
  executable-in-usr-lib) echo "experimental: the window program is private to the launcher, in /usr/lib/games/tovrin as Debian's games keep theirs" ;;
  package-section-games-but-has-usr-bin | bin-sbin-mismatch) echo "none expected any more: every program is in /usr/games" ;;
  *) echo "not expected; see lintian-explain-tags $1" ;;
  esac
}
tags=$(sed -n 's/^[EWIPX]: tovrin[^:]*: \([a-z0-9+.-]*\).*/\1/p' "$unpacked/lintian.txt" | sort | uniq -c)
if [ -z "$tags" ]; then
  echo "lintian --pedantic: no tags"
else
  echo "The tags:"
  while read -r count tag; do
    echo "  $tag ($count): $(explain_tag "$tag")"
  done <<<"$tags"
fi
! grep -q '^E: ' "$unpacked/lintian.txt" || fail "lintian found errors"

step "The next version: this tree with a new entry and a changed reply"
# Always the same folder, so that a second run finds its build.
next_tree=/var/tmp/tovrin-next
rm -rf "$next_tree" && mkdir -p "$next_tree"
git -C "$here" ls-files -z | (cd "$here" && xargs -0 cp --parents -t "$next_tree")
current=$(sed -n 's/^project(tovrin VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
next="${current%.*}.$(( ${current##*.} + 1 ))"
sed -i "s/^project(tovrin VERSION $current /project(tovrin VERSION $next /" "$next_tree/CMakeLists.txt"
python3 - "$next_tree" <<'EOF'
import pathlib, sys
words = pathlib.Path(sys.argv[1], "data-src", "words")
first = sorted(words.glob("*.txt"))[1]  # after the guards
text = first.read_text(encoding="utf-8")
first.write_text("ЧТО НОВОГО В ВЕРСИИ\n    В новой версии я знаю, что нового в версии.\n    Новая версия умеет больше.\n    Спроси меня о новой версии ещё раз.\n\n" + text, encoding="utf-8")
EOF
changed_from="Привет! Рад тебя видеть. Как настроение?"
changed_to="Привет! Я теперь новой версии. Как настроение?"
grep -q "^    $changed_from\$" "$next_tree/data-src/words/19-greetings.txt" || fail "no reply to change: $changed_from"
sed -i "s/^    $changed_from\$/    $changed_to/" "$next_tree/data-src/words/19-greetings.txt"
python3 "$next_tree/data-src/make_data.py" --kb "$here/$build/tovrin-kb" >/dev/null # the release build's checker
echo "version $next: a new entry ЧТО НОВОГО В ВЕРСИИ, and «$changed_from» of ПРИВЕТ now «$changed_to»"
deb_next=$(make_package "$next_tree" "$next_tree/build-deb")
echo "$deb_next"

step "A clean Debian 12 root"
# The archive's address is this machine's, read from its apt configuration now.
mapfile -t archives < <(apt-get indextargets --format '$(SITE) $(RELEASE)' 'Identifier: Packages' |
                        awk -v suite="$suite" '$2 == suite || index($2, suite "-") == 1' | sort -u)
[ "${#archives[@]}" -gt 0 ] || fail "the apt configuration names no archive for $suite"
mirror=""
for a in "${archives[@]}"; do
  [ "${a#* }" = "$suite" ] && mirror=${a%% *}
done
[ -n "$mirror" ] || fail "the apt configuration names no archive for $suite itself"
root=$(mktemp -d /var/tmp/tovrin-root.XXXXXX)
chmod 0755 "$root" # for apt's own user and for the reader below
cleanup() {
  [ -f "$root/tmp/xvfb.pid" ] && kill "$(cat "$root/tmp/xvfb.pid")" 2>/dev/null
  umount "$root/dev/shm" "$root/dev/pts" "$root/proc" 2>/dev/null || true
  if [ -z "${TOVRIN_KEEP_ROOT:-}" ]; then rm -rf "$root"; else echo "kept the root $root"; fi
  rm -rf "$unpacked"
}
trap cleanup EXIT
debootstrap --variant=minbase "$suite" "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
  fail "debootstrap failed: see $root.debootstrap.log"
rm -f "$root.debootstrap.log"
printf 'deb %s main\n' "${archives[@]}" >"$root/etc/apt/sources.list"
mount -t proc proc "$root/proc"
mount --bind /dev/pts "$root/dev/pts"
mkdir -p "$root/dev/shm" && mount -t tmpfs shm "$root/dev/shm"
before=$(chroot "$root" dpkg-query -W -f '.\n' | wc -l)
echo "made $root from the archive of $suite ($before packages)"

in_root() { chroot "$root" env DEBIAN_FRONTEND=noninteractive "$@"; }
install_deb() {
  cp "$1" "$root/tmp/"
  in_root sh -c "cd /tmp && apt-get install -y -q --no-install-recommends ./$(basename "$1")" >"$root/tmp/install.log" 2>&1 ||
    { cat "$root/tmp/install.log"; fail "apt-get install $(basename "$1") failed"; }
  grep -E '^[0-9]+ upgraded, [0-9]+ newly installed' "$root/tmp/install.log"
  grep -E '^(Setting up|Unpacking) tovrin ' "$root/tmp/install.log" | head -2
}

step "apt-get install --no-install-recommends ./$(basename "$deb")"
in_root apt-get update -qq
install_deb "$deb"
after=$(chroot "$root" dpkg-query -W -f '.\n' | wc -l)
echo "packages: $before before, $after after: $((after - before)) pulled with tovrin"
missing=$(chroot "$root" sh -c 'for p in /usr/lib/games/tovrin/tovrin /usr/games/tovrin-console /usr/games/tovrin-kb; do ldd "$p"; done' |
          grep 'not found' || true)
[ -z "$missing" ] || fail "unresolved libraries: $missing"
for program in /usr/games/tovrin /usr/games/tovrin-console /usr/games/tovrin-kb; do
  chroot "$root" "$program" --version
  chroot "$root" "$program" --help >/dev/null
done

step "A fresh user talks, through tovrin typed in a terminal without a display"
chroot "$root" useradd --create-home --shell /bin/sh reader
as_reader() {
  chroot --userspec=reader:reader "$root" env -i HOME=/home/reader PATH=/usr/local/bin:/usr/bin:/bin:/usr/games \
    XDG_RUNTIME_DIR=/tmp/reader-run LANG=C.UTF-8 sh -c "cd && $1"
}
as_reader 'tovrin --help >/dev/null && tovrin --version >/dev/null && [ ! -e .local ]' || fail "tovrin --help prepared something"
learnt_a="Абырвалг шмяк и ещё немного слов"
learnt_b="Квазимодо любит кабачковую икру"
reply=$(as_reader "printf 'Привет\n$learnt_a\n$learnt_b\nпока что побуду тут\n' | tovrin 2>&1")
echo "$reply" | sed 's/^/  /'
work=/home/reader/.local/share/tovrin
kb_reader() { as_reader "tovrin-kb -C .local/share/tovrin $1"; }
upper() { python3 -c 'import sys; print(sys.argv[1].upper())' "$1"; }
key_a="$(upper "$learnt_a")."
# An export: its record of the version it came from, then the lines of the file; its entries
# are those after the header.
lines_of() { grep -v "^# tovrin-kb export" "$1"; }
entries() { lines_of "$1" | tail -n +2; }
kb_reader 'export Base/Words.Dat' >"$root/tmp/words-before.txt"
grep -qxF "$key_a^" "$root/tmp/words-before.txt" || grep -q "^$key_a^" "$root/tmp/words-before.txt" ||
  fail "the phrase was not learnt: $key_a"
learnt_lines=$(diff <(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/games/tovrin/data/Base/Words.Dat |
                      iconv -f CP1251 -t UTF-8 | tr -d '\r') <(lines_of "$root/tmp/words-before.txt") | grep -c '^>' || true)
echo "learnt: $learnt_lines entries new or changed in the user's Words.Dat"
kb_reader 'export Base/W2.Dat' | tail -n 2 >"$root/tmp/w2-before.txt"

step "Sound cues through a null sink, with nothing recommended installed"
# A sound server and a display only for the proof: the package itself recommends the server.
in_root apt-get install -y -q --no-install-recommends pulseaudio pulseaudio-utils xvfb xdotool >/dev/null
mkdir -p "$root/tmp/reader-run" && chroot "$root" chown reader:reader /tmp/reader-run && chmod 700 "$root/tmp/reader-run"
as_reader 'pulseaudio --daemonize=yes --exit-idle-time=-1 --disable-shm=yes -n \
  -L "module-null-sink sink_name=proof" -L module-native-protocol-unix --log-target=syslog; sleep 1; pactl set-default-sink proof'
# A display number of its own: the X servers of other sessions on this machine are seen here too.
[ ! -e /tmp/.X11-unix/X173 ] && ! grep -q '@/tmp/.X11-unix/X173' /proc/net/unix || fail "display :173 is taken"
chroot "$root" sh -c 'Xvfb :173 -screen 0 1280x1024x24 >/dev/null 2>&1 & echo $! >/tmp/xvfb.pid'
sleep 2
as_reader 'parec -d proof.monitor --raw --format=s16le --channels=1 --rate=8000 >/tmp/cues.raw 2>/dev/null & echo $! >/tmp/parec.pid'
as_reader 'DISPLAY=:173 tovrin >/tmp/window.log 2>&1 & echo $! >/tmp/window.pid'
sleep 6
# The first of the program's windows that takes the focus gets the keys (the hidden ones do not).
as_reader 'export DISPLAY=:173; xdotool search --sync --onlyvisible --class tovrin >/dev/null;
  for id in $(xdotool search --onlyvisible --class tovrin); do
    xdotool windowfocus --sync "$id" 2>/dev/null && break
  done
  xdotool type --delay 150 "da"; xdotool key Return' || true
sleep 3
as_reader 'kill $(cat /tmp/parec.pid); kill $(cat /tmp/window.pid)' || true
sleep 1
recorded=$(stat -c %s "$root/tmp/cues.raw")
loud=$(od -An -v -td2 -w2 "$root/tmp/cues.raw" | awk '{ if ($1 > 300 || $1 < -300) n++ } END { print n + 0 }')
echo "recorded $recorded bytes through the null sink, $loud samples above the noise"
[ "$loud" -gt 100 ] || { cat "$root/tmp/window.log"; fail "no cue was heard"; }
as_reader 'pulseaudio --kill' || true
kill "$(cat "$root/tmp/xvfb.pid")" 2>/dev/null || true
rm -f "$root/tmp/xvfb.pid"

step "The upgrade: $(basename "$deb_next") over $(basename "$deb")"
install_deb "$deb_next"
told=$(as_reader "printf 'Что нового в версии?\n' | tovrin --console 2>&1 >/tmp/answer.txt; cat /tmp/answer.txt" )
echo "$told" | sed 's/^/  /'
echo "$told" | grep -q 'Знания обновлены до версии '"$next" || fail "the launcher told nothing of the new knowledge"
echo "$told" | grep -qE 'В новой версии я знаю|Новая версия умеет больше|Спроси меня о новой версии' ||
  fail "the new entry did not answer"
kb_reader 'export Base/Words.Dat' >"$root/tmp/words-after.txt"
# The export begins with its own record of the version it came from; the header follows.
header=$(lines_of "$root/tmp/words-after.txt" | sed -n 1p) # sed reads to the end: no broken pipe
case "$header" in *"$next"*) ;; *) fail "the header is not the new version's: $header" ;; esac
grep -q "^$key_a^" "$root/tmp/words-after.txt" || fail "a learnt entry was lost: $key_a"
# Every entry the user had is still there (by its head), with every reply it had.
lost=$(comm -23 <(entries "$root/tmp/words-before.txt" | cut -d^ -f1 | sort -u) \
                <(entries "$root/tmp/words-after.txt" | cut -d^ -f1 | sort -u) | wc -l)
[ "$lost" -eq 0 ] || fail "$lost entries of the user's file are gone"
lost=$(comm -23 <(entries "$root/tmp/words-before.txt" | cut -d^ -f2- | tr ';' '\n' | grep -v '^@\?$' | sort -u) \
                <(entries "$root/tmp/words-after.txt" | cut -d^ -f2- | tr ';' '\n' | sort -u) |
       { grep -vxF "$changed_from" || true; } | wc -l)
[ "$lost" -eq 0 ] || fail "$lost replies of the user's file are gone"
grep -q "^ПРИВЕТ^$changed_to;" "$root/tmp/words-after.txt" || fail "the changed reply is not there"
echo "the changed reply is there: ПРИВЕТ^$changed_to;..."
echo "the knowledge's header: $header"
kb_reader 'export Base/W2.Dat' | tail -n 2 | cmp -s - "$root/tmp/w2-before.txt" && echo "W2.Dat: the lines the user's program learnt are still its last"
[ -d "$root$work/before-$next" ] || fail "no backup of the old files"
echo "backup: $(cd "$root$work/before-$next" && find . -type f | sort | tr '\n' ' ')"
echo "entries before $(entries "$root/tmp/words-before.txt" | wc -l), after $(entries "$root/tmp/words-after.txt" | wc -l)"

step "Removing the package leaves the user's folder"
in_root apt-get purge -y -q tovrin >/dev/null
[ -f "$root$work/Base/Words.Dat" ] || fail "the user's folder went with the package"
echo "$work is still there"
echo
echo "package-proof: passed ($(basename "$deb"), $(basename "$deb_next"))"
