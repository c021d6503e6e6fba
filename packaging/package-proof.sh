#!/usr/bin/env bash
# Builds the Debian package and proves it: the validators on the menu entry, the AppStream
# metadata and the manual pages; lintian on the package; and, on a clean Debian 12 root made
# here with debootstrap, `apt-get install ./tovrin_*.deb` and a first phrase answered by
# tovrin-console in a fresh user's home. Run as root. The only network it uses is the package
# archive that this machine's apt configuration names. Not part of ./test.sh.
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

step "Release build with Debian's hardening flags, and the package"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOVRIN_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j"$(nproc)"
rm -f "$build"/tovrin_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/tovrin_*.deb)
echo "$deb: $(du -k "$deb" | cut -f1) KiB, installed $(dpkg-deb -f "$deb" Installed-Size) KiB"

step "Contents (dpkg -c)"
dpkg -c "$deb" | awk '{print $1, $6}'

step "Control (dpkg -I)"
dpkg -I "$deb"

step "Validators"
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked/usr/share/applications/tovrin.desktop" && echo "desktop-file-validate: clean"
appstreamcli validate --no-net "$unpacked/usr/share/metainfo/io.github.tovrin.Tovrin.metainfo.xml"
for page in "$unpacked"/usr/share/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
  zcat "$page" | groff -ww -man -k -Tutf8 >/dev/null 2>"$unpacked/groff.err"
  [ ! -s "$unpacked/groff.err" ] || fail "$(basename "$page"): $(cat "$unpacked/groff.err")"
  echo "$(basename "$page"): renders without warnings"
done

step "lintian"
lintian --fail-on error --display-info "$deb" || fail "lintian found errors"
echo "lintian: no errors"

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
  umount "$root/dev/pts" "$root/proc" 2>/dev/null || true
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
echo "made $root from the archive of $suite ($(chroot "$root" dpkg-query -W -f '.\n' | wc -l) packages)"

step "apt-get install ./$(basename "$deb")"
cp "$deb" "$root/tmp/"
chroot "$root" apt-get update -qq
chroot "$root" env DEBIAN_FRONTEND=noninteractive sh -c \
  "cd /tmp && apt-get install -y -q --no-install-recommends ./$(basename "$deb")" >"$root/tmp/install.log" 2>&1 ||
  { cat "$root/tmp/install.log"; fail "apt-get install failed"; }
grep -E '^[0-9]+ upgraded, [0-9]+ newly installed' "$root/tmp/install.log"
grep -E '^Setting up tovrin ' "$root/tmp/install.log"
missing=$(chroot "$root" sh -c 'for p in /usr/bin/tovrin /usr/bin/tovrin-console /usr/bin/tovrin-kb; do ldd "$p"; done' |
          grep 'not found' || true)
[ -z "$missing" ] || fail "unresolved libraries: $missing"
for program in tovrin tovrin-console tovrin-kb; do
  chroot "$root" "$program" --version
  chroot "$root" "$program" --help >/dev/null
done

step "tovrin-console in a fresh user's home"
chroot "$root" useradd --create-home --shell /bin/sh reader
as_reader() { chroot --userspec=reader:reader "$root" env -i HOME=/home/reader PATH=/usr/bin:/bin sh -c "cd && $1"; }
reply=$(as_reader 'printf "Привет\n" | tovrin-console')
echo "> Привет"
echo "$reply"
[ -n "$reply" ] || fail "no reply"
echo "The end of the dialogue log, read with tovrin-kb:"
as_reader 'tovrin-kb -C .local/share/tovrin export Base/Log.Tovrin | tail -n 3'
echo
echo "package-proof: passed ($(basename "$deb"))"
