#!/usr/bin/env bash
# Cross-builds the core, qn7cfg.exe, the Win32 dialog qn7-setup.exe and the suites that need no
# simulator for 64-bit Windows with MinGW-w64, warnings as errors, and packs the Windows zip and
# the installer. Then, when wine is installed, runs under wine as a Chinese (PRC) Windows
# (zh-CN, its font substitutes, in a virtual desktop under Xvfb): the suites, with simulated
# modules on wine's own COM ports; the program from the zip; the installer's silent install,
# the installed programs and the silent uninstall; qn7cfg.exe against the simulator; and the
# dialog's screenshot.
# Usage: tools/cross_windows.sh [build-folder [ctest options…]]   (default: build-win)
set -euo pipefail
# Debian's wine has no preloader to keep its fixed addresses free before the C library maps
# anything: with the address space laid out at random, one wine process in a few thousand dies at
# start ("failed to map the shared user data"). Without randomisation the layout is the same each
# time. Every process of the run, wine's included, inherits this.
if [ -z "${QN7_FIXED_LAYOUT:-}" ]; then
    QN7_FIXED_LAYOUT=1 exec setarch "$(uname -m)" --addr-no-randomize bash "$0" "$@"
fi
cd "$(dirname "$0")/.."
tools/deps.sh cross
build="${1:-build-win}"
shift || true

emulator=()
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
[ -x "$wine" ] && emulator=(-DCMAKE_CROSSCOMPILING_EMULATOR="$wine")

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Debug \
      -DQN7_BUILD_BENCHMARKS=OFF -DQN7_WARNINGS_AS_ERRORS=ON "${emulator[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"

# The zip (the programs beside the README) and the installer.
rm -f "$build"/qn7-setup-*-win64.zip
(cd "$build" && cpack -G ZIP >/dev/null)
cmake --build "$build" --target msi
zip="$(ls "$build"/qn7-setup-*-win64.zip)"
installer="$(ls "$build"/qn7-setup-*-win64.msi)"
listing="$(cmake -E tar tf "$zip")"
echo "$zip:" $listing
for file in qn7cfg.exe qn7-setup.exe README.md; do
    grep -q "/$file\$" <<<"$listing" || { echo "$file missing from $zip" >&2; exit 1; }
done
echo "$installer: $(stat -c %s "$installer") bytes"

if [ ${#emulator[@]} -eq 0 ]; then
    echo "wine64 not installed: Windows suites and installer built, not run"
    exit 0
fi

# Windows as the dialog's users have it: Chinese (PRC). wine takes its locale, code page 936 and
# the font substitutes that go with it ("MS Shell Dlg" becomes SimSun) from the C library's
# locale, made here into the build folder so no system locale has to be installed.
locales="$PWD/$build/locale"
if [ ! -d "$locales/zh_CN.UTF-8" ]; then
    mkdir -p "$locales"
    LC_ALL=C localedef -i zh_CN -f UTF-8 "$locales/zh_CN.UTF-8"
fi
unset LC_ALL LC_CTYPE LC_MESSAGES
export LOCPATH="$locales" LANG=zh_CN.UTF-8

# A file as wine's programs name it, on drive Z:.
windows_path() {
    local path
    path="$(realpath "$1")"
    echo "Z:${path//\//\\}"
}

# A private wine prefix per build folder, created before the suites race to create it.
# Only errors: a wine process that fails says why.
export WINEPREFIX="$PWD/$build/wineprefix" WINEDEBUG=-all,err+all
if [ ! -f "$WINEPREFIX/.qn7-ready" ]; then
    "$wine" wineboot --init >/dev/null 2>&1 || true
    # Debian's wine does not load the fonts it ships: Tahoma ("MS Shell Dlg 2") and Marlett
    # for the caption buttons go into the prefix.
    cp /usr/share/wine/fonts/tahoma*.ttf /usr/share/wine/fonts/marlett.ttf \
       "$WINEPREFIX/drive_c/windows/Fonts/"
    touch "$WINEPREFIX/.qn7-ready"
fi
# The prefix's settings, written in one go before the wine server of the run starts.
settings="$build/wine-settings.reg"
cat >"$settings" <<'EOF'
Windows Registry Editor Version 5.00

; SimSun, which "MS Shell Dlg" is on a Chinese Windows, becomes WenQuanYi Micro Hei Mono: its
; Latin letters are all half an em wide, as SimSun's are (the proportional face has wider
; capitals). NSimSun and the log pane's "Courier New" become the same fixed-width face.
[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"SimSun"="WenQuanYi Micro Hei Mono"
"NSimSun"="WenQuanYi Micro Hei Mono"
"Courier New"="WenQuanYi Micro Hei Mono"

; Every window in one virtual desktop: without a window manager each top-level window of its
; own would cost about 2 s.
[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

EOF

native="${QN7_NATIVE_BUILD:-build-test}"
have_native() { [ -x "$native/sim/qn7-sim" ] && [ -x "$native/cli/qn7cfg" ]; }
work="$(mktemp -d)"
sims=()
xvfb=""
# wineserver first: the pseudo-terminals it holds hang up when the simulators end.
trap '"$wineserver" -k 2>/dev/null || true; kill "${sims[@]}" $xvfb 2>/dev/null; rm -rf "$work"' EXIT

# Simulated modules on wine's own COM ports: HKLM\Software\Wine\Ports names each port's device,
# and wine's mount manager makes the port and its SERIALCOMM entry when its server starts.
printf '[-HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\n' \
    >>"$settings"
# Starts a native simulator with the given options as wine's COM port $1.
sim_as_com() {
    local com="$1" out="$work/$1.out" pty
    shift
    "$native/sim/qn7-sim" --no-pace "$@" >"$out" &
    sims+=($!)
    for _ in $(seq 50); do [ -s "$out" ] && break; sleep 0.1; done
    pty="$(head -n1 "$out")"
    printf '"%s"="%s"\n' "$com" "$pty" >>"$settings"
    stty -F "$pty" 115200  # wine reads the line speed only from the classic termios table
    echo "$pty" >"$work/$com.pty"
}
if have_native; then
    sim_as_com COM12                       # qn7cfg.exe against the native qn7cfg
    sim_as_com COM13 --fault no-answer     # a silent module
    sim_as_com COM14 --baud 57600          # the dialog suite's Search and Query
    sim_as_com COM15 --escape-guard 200    # the bridge check through Winsock
    sim_as_com COM21                       # a port beyond COM16
    export QN7_WIN_SIM_PORT=COM14 QN7_WIN_HIGH_PORT=COM21
fi
"$wine" regedit /S "$(windows_path "$settings")"
# One wine server for the whole run, started after the ports are named. A server that ends
# between two test processes (3 s after its last client) breaks the next one's connection
# ("wine client error: recvmsg: Connection reset by peer").
"$wineserver" -k 2>/dev/null || true
"$wineserver" -p

# One display for every window: a private Xvfb unless one is there.
if [ -z "${DISPLAY:-}" ]; then
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
    xvfb=$!
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    export DISPLAY=":$(cat "$work/display")"
fi

# The session's first program starts wine's services and reads the fonts: not inside a test.
"$wine" "$build/cli/qn7cfg.exe" --version >/dev/null
ctest --test-dir "$build" --timeout 300 --output-on-failure -j"$(nproc)" "$@"

# The program from the zip runs on its own, without the build folder.
rm -rf "$build/zip-check" && mkdir "$build/zip-check"
(cd "$build/zip-check" && cmake -E tar xf "../$(basename "$zip")")
version="$("$wine" "$build"/zip-check/qn7-setup-*/qn7cfg.exe --version | tr -d '\r')"
[[ $version == "qn7cfg "* ]] || { echo "qn7cfg.exe from the zip: '$version'" >&2; exit 1; }
echo "$(basename "$zip"): $version under wine"

tools/check_windows_installer.sh "$(windows_path "$installer")" "$version"

# The dialog as a Chinese Windows shows it, for the README: docs/screenshot-win32.png.
QN7_PROBE_SHOT='C:\screenshot-win32.png' "$wine" "$build/win/qn7-setup.exe"
mv "$WINEPREFIX/drive_c/screenshot-win32.png" "$build/screenshot-win32.png"
echo "screenshot of the dialog under wine (zh-CN): $build/screenshot-win32.png"

# The Win32 port layer end to end: wine's COM12 is the pseudo-terminal of a native simulator,
# and qn7cfg.exe must read the module exactly as the native qn7cfg does.
have_native || {
    echo "no native build in $native: end-to-end run under wine skipped"
    exit 0
}
qn7cfg_exe() { "$wine" "$build/cli/qn7cfg.exe" "$@"; }
found="$(qn7cfg_exe -q -p COM12 search)"
[ "$found" = "COM12 115200" ] || { echo "search under wine: '$found'" >&2; exit 1; }
qn7cfg_exe -q -p COM12 query >"$build/query-wine.txt"
"$native/cli/qn7cfg" -q -p "$(cat "$work/COM12.pty")" query >"$build/query-native.txt"
cmp "$build/query-native.txt" "$build/query-wine.txt"
echo "qn7cfg.exe under wine: search and query match the native build"

# A silent module: every rate is tried and none answers (status 69), with no read error box.
status=0
qn7cfg_exe -p COM13 search 2>"$work/silent.err" || status=$?
[ "$status" -eq 69 ] || { echo "search of a silent port under wine: status $status" >&2
                          cat "$work/silent.err" >&2; exit 1; }
echo "qn7cfg.exe under wine: a silent port is searched at every rate"

# The ports wine reports, named as the dialog names them.
listed="$(qn7cfg_exe ports -v | tr -d '\r')"
for com in COM12 COM13 COM14 COM21; do
    grep -qx "$com — serial port" <<<"$listed" || {
        echo "qn7cfg.exe ports -v under wine lacks $com:" >&2; echo "$listed" >&2; exit 1; }
done
qn7cfg_exe ports --json | tr -d ' \r\n' | grep -q '{"path":"COM21","description":"serialport"}' || {
    echo "qn7cfg.exe ports --json under wine lacks COM21" >&2; exit 1; }
echo "qn7cfg.exe under wine: ports -v and --json name wine's COM ports:" $listed

# The bridge check through Winsock: wine's COM15 is a module whose transparent mode serves TCP on
# 127.0.0.1, and qn7cfg.exe carries a pattern through it both ways and escapes again.
net_port=$((20000 + RANDOM % 20000))
qn7cfg_exe -q --fast -p COM15 submit - <<<"at+remoteport=$net_port"
status=0
qn7cfg_exe -q --fast -p COM15 bridge --bytes 16K --guard 300 \
    >"$work/bridge.out" 2>&1 || status=$?
grep -q "result        intact" "$work/bridge.out" && [ "$status" -eq 0 ] ||
    { echo "bridge under wine: status $status" >&2; cat "$work/bridge.out" >&2; exit 1; }
echo "qn7cfg.exe under wine: the bridge check carries the pattern both ways over Winsock"
