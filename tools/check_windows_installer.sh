#!/usr/bin/env bash
# Checks the Windows installer under wine as a scripted roll-out uses it: a silent install
# (msiexec /i /qn); the installed qn7cfg.exe, and the installed dialog opening and closing; the
# Start-menu entry and the Add/Remove Programs entry (version, icon, publisher); then a silent
# uninstall (msiexec /x /qn) that leaves no file, no Start-menu entry and no registry key.
# Usage: tools/check_windows_installer.sh 'Z:\…\qn7-setup-VERSION-win64.msi' "qn7cfg VERSION"
#   run by tools/cross_windows.sh, with its wine prefix (WINEPREFIX) and display.
set -euo pipefail
msi="$1"
version_line="$2"
wine=/usr/lib/wine/wine64
fail() {
    echo "installer: $*" >&2
    exit 1
}

drive_c="$WINEPREFIX/drive_c"
folder="$drive_c/Program Files/QN7 Setup"
installed='C:\Program Files\QN7 Setup'
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
# Files and keys of ours anywhere: the programs, the shortcut, the cached installer's icon.
our_files() { find "$drive_c" -path "$drive_c/users/*/Temp" -prune -o \
                   \( -iname '*qn7*' -o -iname 'QN7 Setup*' \) -print; }
# The Add/Remove Programs entry: the key of the product whose DisplayName is ours.
product_key() {
    "$wine" reg query "$uninstall" /s 2>/dev/null | tr -d '\r' |
        awk '/^HKEY/ { key = $0 } /DisplayName +REG_SZ +QN7 Setup$/ { print key }'
}
value() {
    "$wine" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}

[ -z "$(our_files)" ] && [ -z "$(product_key)" ] || fail "installed before the test"
cached() { ls -A "$drive_c/windows/Installer" 2>/dev/null || true; }
cached_before="$(cached)"
"$wine" msiexec /i "$msi" /qn || fail "the silent install ended with status $?"
for file in qn7-setup.exe qn7cfg.exe README.md; do
    [ -f "$folder/$file" ] || fail "$file is not in $folder"
done
# All users' Start menu on Windows; wine's Windows Installer uses the user's.
shortcut="$(find "$drive_c" -path '*/Start Menu/Programs/QN7 Setup.lnk')"
[ -n "$shortcut" ] || fail "no Start-menu entry for the dialog"
# It starts the dialog in the user's Documents, where the user slots are kept.
strings -el "$shortcut" | grep -q '^C:\\users\\[^\\]*\\Documents\\$' ||
    fail "the Start-menu entry does not start in the user's Documents"
key="$(product_key)"
[ -n "$key" ] || fail "no Add/Remove Programs entry"
for expected in "DisplayVersion=${version_line#qn7cfg }" "Publisher=QN7 Setup developers"; do
    name="${expected%%=*}"
    [ "$(value "$key" "$name")" = "${expected#*=}" ] ||
        fail "Add/Remove Programs: $name is '$(value "$key" "$name")', not '${expected#*=}'"
done
code="${key##*\\}"
"$wine" reg query 'HKLM\Software\Classes\Installer\Products' /s 2>/dev/null |
    tr -d '\r' | grep -qi "ProductIcon .*\\\\$code\\\\" || fail "Add/Remove Programs: no icon for $code"
echo "installer: silent install: the programs and the README in $installed, ${shortcut##*/Start Menu/}" \
     "in the Start menu, and in Add/Remove Programs \"QN7 Setup\"" \
     "$(value "$key" DisplayVersion) by $(value "$key" Publisher) with its icon"

version="$("$wine" "$folder/qn7cfg.exe" --version | tr -d '\r')"
[ "$version" = "$version_line" ] || fail "installed qn7cfg.exe --version: '$version'"
# The dialog opens, paints and closes itself (its probe), and the program ends.
shown="$(QN7_PROBE_QUIT=1 timeout 120 "$wine" "$folder/qn7-setup.exe" | tr -d '\r')" ||
    fail "the installed dialog did not close (status $?)"
[ "$shown" = painted ] || fail "the installed dialog did not open: '$shown'"
echo "installer: installed $version_line, and the installed dialog opens and closes"

"$wine" msiexec /x "$msi" /qn || fail "the silent uninstall ended with status $?"
left="$(our_files)"
[ -z "$left" ] || fail "left behind: $left"
[ "$(cached)" = "$cached_before" ] || fail "left in the installer cache: $(cached)"
[ -z "$(product_key)" ] || fail "the Add/Remove Programs entry is left behind"
! "$wine" reg query 'HKCU\Software\QN7 Setup' >/dev/null 2>&1 || fail "HKCU\\Software\\QN7 Setup is left behind"
echo "installer: silent uninstall leaves no file, Start-menu entry or registry key"
