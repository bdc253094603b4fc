#!/usr/bin/env bash
# Where pallbrook-sim may write: an output that is an input or another output
# is refused and nothing changes; a link is written through, a FIFO and a
# device are written to as they are, "-" is standard output (and the brief
# goes to standard error), a folder is refused; a write that fails leaves
# what stood at the path as it was. Each row is run by the Linux tool, and
# the rows marked "both" once more by pallbrook-sim.exe under Wine (Windows
# has neither FIFOs nor Unix links).
# Usage: output_cases.sh SIM RELEASED_DIR SCENARIOS_DIR WORK [WINDOWS_BUILD]
set -uo pipefail
sim=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
capture=$(cd "$2" && pwd)/0.1.0/demo.pbcap
scenario=$(cd "$3" && pwd)/demo.json
rm -rf "$4"
mkdir -p "$4"
w=$(cd "$4" && pwd)
windows=${5:+$(cd "$5" && pwd)}
here=$(cd "$(dirname "$0")" && pwd)
o=$w/out

# WHERE | STATUS | PATTERN | CHECK AFTERWARDS | ARGUMENTS ($c is a copy of the
# capture, $o the outputs' folder; written as $O to the tool)
cases=$(
    cat <<'EOF'
both  | 2 | --trace .*c.pbcap is the same file as the capture | cmp -s $c $capture | replay $C --trace $C
linux | 2 | is the same file as the capture | cmp -s $c $capture | replay $C --svg $O/to-capture
both  | 2 | --trace .*same.out and --svg .*same.out are the same file | [ ! -e $o/same.out ] | replay $C --trace $O/same.out --svg $O/./same.out
linux | 0 | no difference | [ -L $o/link.svg ] && grep -q '<svg' $o/drawn.svg | replay $C --svg $O/link.svg
linux | 0 | no difference | [ -p $o/fifo ] && grep -q '"native"' $o/from-fifo | replay $C --trace $O/fifo
both  | 0 | no difference | [ -c /dev/null ] | replay $C --trace /dev/null
linux | 2 | cannot write the trace /dev/full \(No space left on device\) | [ -c /dev/full ] | replay $C --trace /dev/full
both  | 0 | no difference | [ "$(head -c 1 $o/stdout)" = "{" ] && ! grep -q 'no difference' $o/stdout | replay $C --trace -
both  | 2 | --trace and --svg both go to standard output | [ ! -s $o/stdout ] | replay $C --trace - --svg -
both  | 2 | --svg .*folder is a folder, not a file | [ -d $o/folder ] | replay $C --svg $O/folder
linux | 2 | cannot write /sys/t.jsonl \(Permission denied\) | [ ! -e /sys/t.jsonl.part ] | run $S --trace /sys/t.jsonl
EOF
)

# Runs the table with one build. $1: the rows to run, "linux" (all) or
# "both"; $2: how the tool spells this machine's paths; the rest: the command
# that starts the tool, whose arguments end with those in `after`.
failed=0
count=0
run_cases() {
    local only=$1 prefix=$2
    shift 2
    while IFS='|' read -r where status pattern check args; do
        where=${where// /} status=${status// /}
        pattern=${pattern# } pattern=${pattern% }
        [ "$only" = both ] && [ "$where" != both ] && continue
        count=$((count + 1))
        rm -rf "$o"
        mkdir -p "$o/folder"
        c=$o/c.pbcap
        cp "$capture" "$c"
        ln -s "$c" "$o/to-capture"
        ln -s drawn.svg "$o/link.svg"
        if [[ $args == *fifo* ]]; then
            mkfifo "$o/fifo"
            cat "$o/fifo" >"$o/from-fifo" &
        fi
        local O=$prefix$o C=$prefix$c S=$prefix$scenario
        read -r -a argv <<<"$(eval echo "$args")"
        (cd "$o" && "$@" "${argv[@]}" "${after[@]}" >"$o/stdout" 2>"$o/stderr")
        got=$?
        wait
        why=()
        [ "$got" -eq "$status" ] || why+=("exit status $got, expected $status")
        grep -qE -- "$pattern" "$o/stdout" "$o/stderr" || why+=("nothing matches: $pattern")
        eval "$check" || why+=("afterwards, not so: $check")
        ls "$o"/*.part /sys/*.part >/dev/null 2>&1 && why+=("a temporary file is left")
        if [ ${#why[@]} -gt 0 ]; then
            echo "FAIL ($only)$args"
            printf '  %s\n' "${why[@]}"
            tail -3 "$o/stderr" | sed 's/^/  | /'
            failed=$((failed + 1))
        fi
    done <<<"$cases"
}

after=()
run_cases linux "" "$sim"
if [ -n "$windows" ]; then
    after=(--plugin "Z:$windows/Pallbrook.asi")
    run_cases both Z: "$here/../run-wine.sh" "$windows/pallbrook-sim.exe"
fi
echo "$count output cases, $failed failed"
[ "$failed" -eq 0 ]
