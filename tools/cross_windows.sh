#!/usr/bin/env bash
# Cross-builds the core, qn7cfg.exe, the Win32 dialog qn7-setup.exe and the suites that need no
# simulator for 64-bit Windows with MinGW-w64, warnings as errors, packs the Windows zip, then runs
# those suites under wine when it is installed: the dialog's suite in a wine virtual desktop under
# Xvfb, with a simulated module on one of wine's COM ports.
# Usage: tools/cross_windows.sh [build-folder]   (default: build-win)
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh cross
build="${1:-build-win}"

emulator=()
wine=/usr/lib/wine/wine64
[ -x "$wine" ] && emulator=(-DCMAKE_CROSSCOMPILING_EMULATOR="$wine")

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Debug \
      -DQN7_BUILD_GUI=OFF -DQN7_BUILD_BENCHMARKS=OFF -DQN7_WARNINGS_AS_ERRORS=ON \
      "${emulator[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"

# The Windows zip: qn7cfg.exe and the dialog qn7-setup.exe beside the README.
rm -f "$build"/qn7-setup-*-win64.zip
(cd "$build" && cpack -G ZIP >/dev/null)
zip="$(ls "$build"/qn7-setup-*-win64.zip)"
listing="$(cmake -E tar tf "$zip")"
echo "$zip:" $listing
expected=(qn7cfg.exe qn7-setup.exe README.md)
for file in "${expected[@]}"; do
    grep -q "/$file\$" <<<"$listing" || { echo "$file missing from $zip" >&2; exit 1; }
done

if [ ${#emulator[@]} -eq 0 ]; then
    echo "wine64 not installed: Windows suites built, not run"
    exit 0
fi
# A private wine prefix per build folder, created before the suites race to create it.
export WINEPREFIX="$PWD/$build/wineprefix" WINEDEBUG=-all
if [ ! -f "$WINEPREFIX/.qn7-ready" ]; then
    "$wine" wineboot --init >/dev/null 2>&1 || true
    # Debian's wine does not load the fonts it ships: Tahoma for "MS Shell Dlg" and Marlett for
    # the caption buttons go into the prefix. The Chinese labels fall back (font link) to SimSun,
    # which becomes WenQuanYi Micro Hei, and the log pane's "Courier New" its fixed-width face.
    cp /usr/share/wine/fonts/tahoma*.ttf /usr/share/wine/fonts/marlett.ttf \
       "$WINEPREFIX/drive_c/windows/Fonts/"
    replacements='HKCU\Software\Wine\Fonts\Replacements'
    "$wine" reg add "$replacements" /v SimSun /d "WenQuanYi Micro Hei" /f >/dev/null
    "$wine" reg add "$replacements" /v "Courier New" /d "WenQuanYi Micro Hei Mono" /f >/dev/null
    # Every window in one virtual desktop: without a window manager each top-level window of
    # its own would cost about 2 s.
    "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
    "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null
    touch "$WINEPREFIX/.qn7-ready"
fi

native="${QN7_NATIVE_BUILD:-build-test}"
sims=()
work="$(mktemp -d)"
# wineserver first: the pseudo-terminals it holds hang up when the simulators end.
trap '"$(dirname "$wine")/wineserver" -k || true; kill "${sims[@]}" 2>/dev/null; rm -rf "$work"' EXIT
# Starts a native simulator with the given options as wine's COM port $1.
sim_as_com() {
    local com="$1" out="$work/$1.out"
    shift
    "$native/sim/qn7-sim" --no-pace "$@" >"$out" &
    sims+=($!)
    for _ in $(seq 50); do [ -s "$out" ] && break; sleep 0.1; done
    pty="$(head -n1 "$out")"
    ln -sfn "$pty" "$WINEPREFIX/dosdevices/${com,,}"
    stty -F "$pty" 115200  # wine reads the line speed only from the classic termios table
}
have_native() { [ -x "$native/sim/qn7-sim" ] && [ -x "$native/cli/qn7cfg" ]; }

# The dialog's suite searches and queries a module answering at 57600 baud on COM14.
if have_native; then
    sim_as_com COM14 --baud 57600
    export QN7_WIN_SIM_PORT=COM14
fi
# The Win32 dialog suite needs a display: a private Xvfb unless one is there.
display=()
[ -n "${DISPLAY:-}" ] || display=(xvfb-run -a -s "-screen 0 1024x768x24")
"${display[@]}" ctest --test-dir "$build" --timeout 300 --output-on-failure -j"$(nproc)"

# The program from the zip runs on its own, without the build folder.
rm -rf "$build/zip-check" && mkdir "$build/zip-check"
(cd "$build/zip-check" && cmake -E tar xf "../$(basename "$zip")")
version="$("$wine" "$build"/zip-check/qn7-setup-*/qn7cfg.exe --version | tr -d '\r')"
[[ $version == "qn7cfg "* ]] || { echo "qn7cfg.exe from the zip: '$version'" >&2; exit 1; }
echo "$(basename "$zip"): $version under wine"

# The Win32 port layer end to end: wine's COM12 is the pseudo-terminal of the native simulator,
# and qn7cfg.exe must read the module exactly as the native qn7cfg does.
have_native || {
    echo "no native build in $native: end-to-end run under wine skipped"
    exit 0
}
sim_as_com COM12
found="$("$wine" "$build/cli/qn7cfg.exe" -q -p COM12 search)"
[ "$found" = "COM12 115200" ] || { echo "search under wine: '$found'" >&2; exit 1; }
"$wine" "$build/cli/qn7cfg.exe" -q -p COM12 query >"$build/query-wine.txt"
"$native/cli/qn7cfg" -q -p "$pty" query >"$build/query-native.txt"
cmp "$build/query-native.txt" "$build/query-wine.txt"
echo "qn7cfg.exe under wine: search and query match the native build"

# A silent module: every rate is tried and none answers (status 69), with no read error box.
sim_as_com COM13 --fault no-answer
status=0
"$wine" "$build/cli/qn7cfg.exe" -p COM13 search 2>"$work/silent.err" || status=$?
[ "$status" -eq 69 ] || { echo "search of a silent port under wine: status $status" >&2
                          cat "$work/silent.err" >&2; exit 1; }
echo "qn7cfg.exe under wine: a silent port is searched at every rate"

# The bridge check through Winsock: wine's COM15 is a module whose transparent mode serves TCP on
# 127.0.0.1, and qn7cfg.exe carries a pattern through it both ways and escapes again.
sim_as_com COM15 --escape-guard 200
net_port=$((20000 + RANDOM % 20000))
"$wine" "$build/cli/qn7cfg.exe" -q --fast -p COM15 submit - <<<"at+remoteport=$net_port"
status=0
"$wine" "$build/cli/qn7cfg.exe" -q --fast -p COM15 bridge --bytes 16K --guard 300 \
    >"$work/bridge.out" 2>&1 || status=$?
grep -q "result        intact" "$work/bridge.out" && [ "$status" -eq 0 ] ||
    { echo "bridge under wine: status $status" >&2; cat "$work/bridge.out" >&2; exit 1; }
echo "qn7cfg.exe under wine: the bridge check carries the pattern both ways over Winsock"
