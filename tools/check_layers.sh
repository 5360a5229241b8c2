#!/usr/bin/env bash
# Keeps the layers apart. Fails when
#  - script/, serial/, bridge/, sim/ or shell/ include a Qt header;
#  - serial/, script/ or bridge/ include a header of shell/, app/, win/ or cli/ (a lower layer
#    never reaches up; the includes are bare names, so the check goes by the names those folders
#    hold);
#  - a platform header (<windows.h>, <termios.h>, <unistd.h>, <sys/...>, …) or a platform #if
#    appears in a core file that is not a backend file (*_posix.*, *_linux.*, *_win32.*, *_none.*)
#    or a program's main;
#  - a library given after the source folder defines mutable namespace-scope data (a global or
#    namespace variable in .data/.bss or thread-local storage; constants live elsewhere).
# Usage: tools/check_layers.sh [source-folder] [library.a …]
set -euo pipefail
src="${1:-$(dirname "$0")/..}"
shift || true
cd "$src"
status=0

core=()
for dir in script serial bridge sim shell; do [ -d "$dir" ] && core+=("$dir"); done
sources() { find "${core[@]}" -name '*.cpp' -o -name '*.h'; }
is_backend() { [[ "$1" =~ _(posix|linux|win32|none)\.(cpp|h)$ || "$1" =~ (^|/)([a-z0-9_]*_)?main\.cpp$ ]]; }

while IFS= read -r file; do
    if grep -HnE '^\s*#\s*include\s*<Q' "$file"; then
        echo "  ^ Qt header in a GUI-neutral folder" >&2
        status=1
    fi
    is_backend "$file" && continue
    if grep -HnE '^\s*#\s*include\s*<(windows|winbase|winsock2|ws2tcpip|io|fcntl|poll|termios|unistd|pty|dirent|netdb|arpa/[^>]*|netinet/[^>]*|sys/[^>]*|asm/[^>]*|linux/[^>]*)\.h>' "$file"; then
        echo "  ^ platform header outside a backend file" >&2
        status=1
    fi
    if grep -HnE '^\s*#\s*(if|ifdef|ifndef|elif).*\b(_WIN32|_WIN64|WIN32|__linux__|__APPLE__|__unix__|_MSC_VER|__MINGW32__)\b' "$file"; then
        echo "  ^ platform #if outside a backend file" >&2
        status=1
    fi
done < <(sources)

# One pass over every include of the lower layers, against the header names the upper hold.
upper_headers="$(find shell app win cli -name '*.h' -printf '%f\n' 2>/dev/null | sort -u)"
reaching_up="$(find serial script bridge \( -name '*.cpp' -o -name '*.h' \) -exec \
        grep -HnE '^\s*#\s*include\s*["<][^">]+[">]' {} + |
    awk -v headers="$upper_headers" '
        BEGIN { n = split(headers, names, "\n"); for (i = 1; i <= n; i++) upper[names[i]] = 1 }
        match($0, /["<][^">]+[">]/) {
            header = substr($0, RSTART + 1, RLENGTH - 2)
            sub(/.*\//, "", header)
            if (header in upper) print
        }')"
if [ -n "$reaching_up" ]; then
    echo "$reaching_up" >&2
    echo "  ^ a lower layer includes a header of shell/, app/, win/ or cli/" >&2
    status=1
fi

for lib in "$@"; do
    # Objects ("O") in writable data or thread-local sections, demangled; function-local statics
    # (Name(args)::x) and the compiler's and sanitizers' own helpers are not namespace-scope state.
    found="$(objdump -t -C "$lib" |
        awk '($0 ~ / O \.(data|bss)([. ]|\t)/ || $0 ~ / \.(tdata|tbss)([. ]|\t)/) &&
             $0 !~ /\.data\.rel\.ro/' | sed 's/(anonymous namespace)/{anonymous}/g' |
        grep -vE 'guard variable for|__tls_guard|DW\.ref\.|__gxx_personality|\)( const)?::' |
        grep -vE '__(odr_)?[at]san|__ubsan' || true)"
    if [ -n "$found" ]; then
        echo "$lib: mutable namespace-scope state:" >&2
        echo "$found" >&2
        status=1
    fi
done

[ "$status" -eq 0 ] && echo "layers: clean"
exit "$status"
