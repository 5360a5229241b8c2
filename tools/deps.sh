#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the dialog need (a CJK font for its
# labels and Xvfb included); skips what is there.
# Usage: tools/deps.sh [cross|package|bench]   ("cross" adds the Windows cross build, wixl and wine
#                                             to run its tests; "package" the man pages, the Debian
#                                             package and its checks; "bench" the X extensions the
#                                             Bridge window's flood benchmark measures through and
#                                             the two serial terminals it compares against)
set -euo pipefail

packages=(cmake g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev qt6-base-dev-tools qt6-base-private-dev libgl-dev nlohmann-json3-dev
          xvfb xauth fonts-wqy-microhei
          clang-14 libclang-rt-14-dev)
case "${1:-}" in
    "") ;;
    cross) packages+=(g++-mingw-w64-x86-64-posix googletest wine64 fonts-wine wixl locales) ;;
    package) packages+=(help2man dpkg-dev file lintian appstream desktop-file-utils man-db) ;;
    bench) packages+=(libxcb1-dev libxcb-damage0-dev libxcb-xtest0-dev gtkterm cutecom) ;;
    *) echo "Usage: $0 [cross|package|bench]" >&2; exit 64 ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
