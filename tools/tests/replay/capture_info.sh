#!/usr/bin/env bash
# pallbrook-sim info on the released captures: what it tells must agree with
# their briefs (the frames, the ending, the drags begun and ended as the
# brief's observer saw them); a file replay refuses, info refuses the same
# way. Then the replay's progress: on a terminal's standard error when asked
# for at once, never on a standard error that is not a terminal, and the brief
# on standard output the same either way.
# Usage: capture_info.sh SIM RELEASED_DIR WORK
set -uo pipefail
sim=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
released=$(cd "$2" && pwd)
mkdir -p "$3"
work=$(cd "$3" && pwd)
failed=0
fail() {
    echo "FAIL $*"
    failed=$((failed + 1))
}

for capture in "$released"/*/*.pbcap; do
    name=${capture#"$released"/}
    brief=${capture%.pbcap}.brief
    if ! "$sim" info "$capture" >"$work/info" 2>&1; then
        fail "$name: info exits $?"
        cat "$work/info"
        continue
    fi
    begun=$(grep -c ' -> Dragging' "$brief")
    ended=$(grep -c 'state Dragging -> ' "$brief")
    frames=$(sed -nE 's/^end of the capture .* after ([0-9]+) frames.*/\1/p' "$brief")
    ending=$(sed -nE 's/^end of the capture \(([a-z ]+).*/\1/p' "$brief")
    for want in '^format version 1$' '^plugin 0\.1\.0; PallbrookCapture 0\.1\.0' \
        "^frames: $frames \\(" "ending: $ending" "^drags: $begun begun, $ended ended$"; do
        grep -qE -- "$want" "$work/info" || fail "$name: nothing matches $want in: $(cat "$work/info")"
    done
    echo "$name: $(grep '^drags' "$work/info"); $(grep '^chunks' "$work/info")"
done
torn=$(ls "$released"/*/torn_tail_*.pbcap | head -1)
"$sim" info "$torn" | grep -qE 'ending: torn tail: [0-9]+ bytes kept, [0-9]+ dropped' ||
    fail "the torn tail is not told with its bytes"

printf 'not a capture at all\n' >"$work/text.pbcap"
demo=$(ls "$released"/*/demo.pbcap | head -1)
head -c 20 "$demo" >"$work/cut.pbcap"
for refused in "$work/text.pbcap" "$work/cut.pbcap"; do
    "$sim" info "$refused" >/dev/null 2>"$work/info.err"
    info_status=$?
    "$sim" replay "$refused" >/dev/null 2>"$work/replay.err"
    replay_status=$?
    if [ "$info_status" -ne 2 ] || [ "$replay_status" -ne 2 ] ||
        ! diff "$work/info.err" "$work/replay.err" >/dev/null || ! grep -q 'refused: offset' "$work/info.err"; then
        fail "$(basename "$refused"): info ($info_status) and replay ($replay_status) refuse it differently:"
        cat "$work/info.err" "$work/replay.err"
    fi
done

# Progress: on a terminal (script gives the replay one), and not otherwise.
export PALLBROOK_SIM_PROGRESS_AFTER_MS=0
(cd "$(dirname "$demo")" &&
    script -qec "'$sim' replay demo.pbcap >'$work/terminal.out'" "$work/terminal.typescript" >/dev/null)
grep -qE 'replay: frame [0-9]+ of [0-9]+' "$work/terminal.typescript" ||
    fail "no progress on a terminal: $(head -c 300 "$work/terminal.typescript")"
(cd "$(dirname "$demo")" && "$sim" replay demo.pbcap >"$work/plain.out" 2>"$work/plain.err")
grep -q 'replay: frame' "$work/plain.err" && fail "progress on a standard error that is no terminal"
for out in terminal.out plain.out; do
    diff -q "${demo%.pbcap}.brief" "$work/$out" >/dev/null || fail "the brief differs in $out"
done

[ "$failed" -eq 0 ] && echo "info and progress: as they should be"
[ "$failed" -eq 0 ]
