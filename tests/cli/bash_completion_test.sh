#!/usr/bin/env bash
# The bash completion of qn7cfg against the built program: what a user gets after pressing Tab.
# Usage: bash_completion_test.sh QN7CFG COMPLETION-FILE
set -uo pipefail
qn7cfg=$(realpath "$1")
source "$(realpath "$2")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The completion asks the program itself for its ports; a wrapper stands in for the serial
# devices of a real machine and hands everything else to the real program.
cat >"$work/qn7cfg" <<WRAPPER
#!/bin/sh
[ "\$1" = ports ] && { echo /dev/ttyUSB0; echo /dev/ttyACM1; exit 0; }
exec "$qn7cfg" "\$@"
WRAPPER
chmod +x "$work/qn7cfg"
mkdir "$work/slots" "$work/scripts"
touch "$work/scripts/lab.txt" "$work/user-notes"
cd "$work"

failures=0
# expect "WORDS ..." -- EXPECTED...: the replies for the last word must be exactly EXPECTED.
expect() {
    local -a words=()
    while [ "$1" != -- ]; do words+=("$1"); shift; done
    shift
    COMP_WORDS=(./qn7cfg "${words[@]}")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _qn7cfg
    local got expected
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort)
    expected=$(printf '%s\n' "$@" | sort)
    if [ "$got" != "$expected" ]; then
        echo "FAIL: qn7cfg ${words[*]}<Tab>: got [${COMPREPLY[*]}], expected [$*]"
        failures=$((failures + 1))
    fi
}

expect "" -- ports search query submit apply diff scan transparent bridge reset compose
expect s -- search submit scan
expect - -- -p --port --ports-from -b --baud --slot-dir --fast -q --quiet -h --help --version
expect query --j -- --json
expect -q reset --y -- --yes
expect compose --f -- --fast --from --from-json
expect compose --from-json scripts/ -- scripts/lab.txt
expect --ports-from s -- slots scripts
expect -p /dev/ttyUSB0 apply u -- user0 user1 user2 user3 user-notes
expect -p /dev/ttyUSB0 diff "" -- user0 user1 user2 user3 - slots scripts user-notes qn7cfg
expect -p /dev/ttyUSB0 submit --ve -- --verify --version
expect --j -- # a command's option is not offered before the command
expect -p "" -- /dev/ttyUSB0 /dev/ttyACM1
expect --port /dev/ttyA -- /dev/ttyACM1
expect --port = /dev/ttyU -- /dev/ttyUSB0
expect -b "" -- auto 115200 57600 38400 19200 9600 4800 2400 1200
expect --slot-dir s -- slots scripts
expect -p /dev/ttyUSB0 submit u -- user0 user1 user2 user3 user-notes
expect submit scripts/ -- scripts/lab.txt
expect -p /dev/ttyUSB0 -b auto q -- query
expect --slot-dir slots query "" --
expect compose --from scripts/ -- scripts/lab.txt
expect scan "" --
expect b -- bridge
expect -p /dev/ttyUSB0 bridge --pro -- --proto --probes
expect bridge --proto "" -- tcp udp
expect bridge --role s -- server
expect bridge --net-port "" --
expect bridge --bytes 4K --st -- --stay
expect bridge --from scripts/ -- scripts/lab.txt
expect bridge --al -- --already-transparent

if [ "$failures" -ne 0 ]; then
    echo "$failures completion checks failed"
    exit 1
fi
echo "bash completion: all checks passed"
