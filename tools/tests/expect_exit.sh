#!/usr/bin/env bash
# Runs pallbrook-sim on a scenario and checks its exit status and that every
# pattern given matches a line of what it printed (standard output and error).
# Usage: expect_exit.sh SIM SCENARIO STATUS PATTERN...
set -uo pipefail
sim=$1 scenario=$2 want=$3
shift 3
output=$("$sim" run "$scenario" 2>&1)
status=$?
echo "$output"
ok=0
if [ "$status" -ne "$want" ]; then
    echo "expect_exit: exit status $status, expected $want"
    ok=1
fi
for pattern in "$@"; do
    if ! grep -qE -- "$pattern" <<<"$output"; then
        echo "expect_exit: nothing matches: $pattern"
        ok=1
    fi
done
if [ "$want" -eq 2 ] && grep -q "^Pallbrook scenario" <<<"$output"; then
    echo "expect_exit: a refused scenario started to run"
    ok=1
fi
exit $ok
