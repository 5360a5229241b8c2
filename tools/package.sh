#!/usr/bin/env bash
# Builds the Debian package (release build with Debian's hardening flags), checks it with
# lintian, appstreamcli and desktop-file-validate, installs it with apt-get, runs the installed
# programs from /usr/bin, and removes it again. Needs root (or sudo) for the install.
# Usage: tools/package.sh [build-folder]   (default: build-pkg)
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh package
build="${1:-build-pkg}"

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# Debian's compiler and linker flags: fortified functions, stack protector, read-only
# relocations, bind now.
# CMake reads no CPPFLAGS, so the preprocessor flags go in front of the compiler's.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
export CXXFLAGS="$CPPFLAGS $CXXFLAGS"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
      -DQN7_BUILD_TESTS=OFF -DQN7_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
rm -f "$build"/qn7-setup_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls "$build"/qn7-setup_*.deb)"
echo "== $deb"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
dpkg-deb --contents "$deb" | awk '{print $1, $6}'

# The package must not change groups or anything else on installation: no maintainer scripts.
scripts="$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -Ev '^\./(control|md5sums)?$' || true)"
[ -z "$scripts" ] || { echo "unexpected control files: $scripts" >&2; exit 1; }

unpacked="$build/unpacked"
rm -rf "$unpacked" && dpkg-deb -x "$deb" "$unpacked"
echo "== desktop-file-validate"
desktop-file-validate "$unpacked"/usr/share/applications/*.desktop
echo "== appstreamcli validate"
appstreamcli validate --no-net --explain "$unpacked"/usr/share/metainfo/*.metainfo.xml
echo "== lintian"
lintian --fail-on error --display-info --tag-display-limit 0 "$deb"

echo "== apt-get install $deb"
remove() { $sudo apt-get remove -y -qq -o DPkg::Lock::Timeout=120 qn7-setup >/dev/null; }
trap 'kill "${sim:-}" 2>/dev/null || true; remove || true' EXIT
$sudo env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq -o DPkg::Lock::Timeout=120 "./$deb" >/dev/null

check() { echo "$ $*" >&2; "$@"; }
[ "$(check /usr/bin/qn7cfg --version)" = "qn7cfg $(dpkg-deb -f "$deb" Version)" ]
# The dialog's --version needs no display.
version="$(check env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/qn7-setup --version)"
echo "$version"
[[ $version == "qn7-setup "* ]]
check /usr/bin/qn7-sim --version
check man -w qn7cfg qn7-setup qn7-sim

# The installed command line against the installed simulator.
out="$(mktemp)"
/usr/bin/qn7-sim --no-pace >"$out" &
sim=$!
for _ in $(seq 50); do [ -s "$out" ] && break; sleep 0.1; done
pty="$(head -n1 "$out")"
rm -f "$out"
check /usr/bin/qn7cfg -q -p "$pty" query | tee "$build/query-installed.txt"
grep -q '^at+netmode=' "$build/query-installed.txt"
kill "$sim" && wait "$sim" || true
sim=""

# The completion is where bash-completion looks for it and loads in bash.
bash -c 'source /usr/share/bash-completion/completions/qn7cfg && complete -p qn7cfg'

echo "== apt-get remove"
trap - EXIT
remove
left="$(dpkg-query -W -f='${db:Status-Abbrev}' qn7-setup 2>/dev/null || true)"
case "$left" in
    "" | "un "* | "rc "*) ;;
    *) echo "qn7-setup still installed after removal: $left" >&2; exit 1 ;;
esac
for file in /usr/bin/qn7cfg /usr/bin/qn7-setup /usr/bin/qn7-sim; do
    [ ! -e "$file" ] || { echo "$file left behind after removal" >&2; exit 1; }
done
echo "package: built, validated, installed, run and removed"
