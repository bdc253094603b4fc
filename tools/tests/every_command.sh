#!/usr/bin/env bash
# Every command and option of pallbrook-sim on what a player sends: captures
# that PallbrookCapture.asi made under Wine (the round trip's, of format
# version 3, and the released ones of version 1), without names, with a drag,
# with a captured Pallbrook.ini, cut short as a killed game leaves them, and
# replayed with a settings file; and on what goes wrong around them. For
# each case: the exit status; a line of the output that the pattern finds;
# no library's exception text; the files asked for written when the command
# ends with 0 or 1, and none of them (nor a temporary one) when it ends with
# 2, whose message names the file or value and says that nothing was written.
# A picture written must be one that rsvg-convert draws. Then the Windows
# pallbrook-sim.exe under Wine, which must write and leave files alike.
# Usage: every_command.sh SIM ROUND_TRIP_OUT RELEASED_DIR SCENARIOS_DIR WORK WINDOWS_BUILD
set -uo pipefail
sim=$1
trip=$(cd "$2" && pwd)
released=$(cd "$3" && pwd)/0.1.0
scenarios=$(cd "$4" && pwd)
rm -rf "$5"
mkdir -p "$5"
w=$(cd "$5" && pwd)
windows=$(cd "$6" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

demo=$(ls "$trip"/demo/Pallbrook-capture-*.pbcap 2>/dev/null | head -1)
with_ini=$(ls "$trip"/settings_prompt/Pallbrook-capture-*.pbcap 2>/dev/null | head -1)
# 31 frames of 33 ms from a game timer at 1,000,000 ms, as in a game.
million=$(ls "$trip"/timer_from_a_million/Pallbrook-capture-*.pbcap 2>/dev/null | head -1)
if [ -z "$demo" ] || [ -z "$with_ini" ] || [ -z "$million" ]; then
    echo "no captures of demo, settings_prompt and timer_from_a_million in $trip: the round trip test makes them"
    exit 1
fi
scenario=$scenarios/demo.json
# A game killed in the middle of a write: the file ends ten bytes into its
# last data chunk.
last=$(grep -oba DATA "$demo" | tail -1 | cut -d: -f1)
head -c $((last + 10)) "$demo" >"$w/torn.pbcap"
printf 'not a capture at all\n' >"$w/text.pbcap"
printf '[Pallbrook]\nHoldTime=750\n' >"$w/hold.ini"
printf '[Pallbrook]\nDragText=Zieh\xe4n\n' >"$w/latin1.ini"
printf '{"frames": 1, "world": {"peds": [{"name": "x"}]}, "bogus": 1}\n' >"$w/bad.json"
: >"$w/a_file"
: >"$w/empty.json"
mkfifo "$w/fifo"
# The outputs of the cases go to $w/out/, emptied before each.
o=$w/out

# STATUS | PATTERN | FILES WRITTEN (0, 1) OR NOT (2) | ARGUMENTS
cases=$(
    cat <<EOF
0 | expectations: 15 checked, all hold | - | run $scenario
0 | all hold | $o/t.jsonl $o/p.svg | run $scenario --trace $o/t.jsonl --svg $o/p.svg
0 | all hold | $o/p.svg | run $scenario --svg $o/p.svg --drag 1
0 | all hold | $o/p.svg | run $scenario --svg $o/p.svg --frames 50-250
0 | all hold | - | run $scenario --folder $o/game
0 | all hold | $o/p.svg | run $scenario --here --svg $o/p.svg
2 | --here: the scenario brings settings of its own | - | run $scenarios/settings_prompt.json --here
2 | --here and --folder: choose one | - | run $scenario --here --folder $o/game
2 | demo.json: --drag 2: the run has one drag, drag 1; nothing written | $o/p.svg $o/t.jsonl | run $scenario --svg $o/p.svg --drag 2 --trace $o/t.jsonl
2 | demo.json: --frames 250-400: the scenario has frames 1 to 300; it was not run, nothing written | $o/p.svg | run $scenario --svg $o/p.svg --frames 250-400
2 | --frames 200-100: the first frame comes after the last; nothing run, nothing written | $o/p.svg | run $scenario --svg $o/p.svg --frames 200-100
2 | --frames 1-x: expected FIRST-LAST | $o/p.svg | run $scenario --svg $o/p.svg --frames 1-x
2 | --drag 0: expected a drag's number | $o/p.svg | run $scenario --svg $o/p.svg --drag 0
2 | --frames and --drag choose what --svg draws | - | run $scenario --drag 1
2 | --frames and --drag: choose one | $o/p.svg | run $scenario --svg $o/p.svg --drag 1 --frames 1-9
2 | cannot write $o/none/p.svg \(No such file or directory\): .*demo.json was not played, nothing written | $o/t.jsonl | run $scenario --trace $o/t.jsonl --svg $o/none/p.svg
2 | cannot make the folder $w/a_file/game \(Not a directory\); it was not run, nothing written | $o/t.jsonl | run $scenario --folder $w/a_file/game --trace $o/t.jsonl
2 | --plugin: this build has the plugin linked in | - | run $scenario --plugin $w/a_file
2 | --trace needs a value | - | run $scenario --trace
2 | unknown option --bogus | - | run $scenario --bogus
2 | run needs a file | - | run
2 | bad.json: /bogus: unknown key | - | run $w/bad.json
2 | missing.json cannot be read \(No such file or directory\) | - | run $w/missing.json
2 | empty.json is empty | - | run $w/empty.json
0 | demo.json: good | - | check $scenario
2 | bad.json: /bogus: unknown key | - | check $scenario $w/bad.json
2 | check needs a file | - | check
0 | no difference | - | replay $demo
0 | no difference | $o/t.jsonl $o/p.svg | replay $demo --trace $o/t.jsonl --svg $o/p.svg
0 | no difference | $o/p.svg | replay $demo --svg $o/p.svg --drag 1
0 | no difference | $o/p.svg | replay $demo --svg $o/p.svg --frames 1-100
0 | state PickingUp -> Dragging \(drag 1\) | $o/p.svg | replay $demo --names $scenario --svg $o/p.svg
2 | .pbcap: --drag 2: the run has one drag, drag 1; nothing written | $o/p.svg $o/t.jsonl | replay $demo --svg $o/p.svg --drag 2 --trace $o/t.jsonl
2 | .pbcap: --frames 290-400: the run has frames 1 to 300; nothing written | $o/p.svg | replay $demo --svg $o/p.svg --frames 290-400
0 | the captured Pallbrook.ini \([0-9]+ bytes\) | $o/p.svg | replay $with_ini --svg $o/p.svg
1 | now:      prompt hold time\([0-9]+, 750\) | $o/t.jsonl $o/p.svg | replay $demo --settings $w/hold.ini --trace $o/t.jsonl --svg $o/p.svg
1 | now:      make game string\(10, "LITERAL_STRING", "Zieh\\\\xE4n"\) | $o/t.jsonl $o/p.svg | replay $demo --settings $w/latin1.ini --trace $o/t.jsonl --svg $o/p.svg
2 | the settings file $w/missing.ini cannot be read \(No such file or directory\); .*demo/.*pbcap was not replayed, nothing written | $o/p.svg | replay $demo --settings $w/missing.ini --svg $o/p.svg
2 | the settings file $w/fifo is no regular file | $o/p.svg | replay $demo --settings $w/fifo --svg $o/p.svg
2 | bad.json: /bogus: unknown key | $o/p.svg | replay $demo --names $w/bad.json --svg $o/p.svg
0 | torn tail: replayed up to the last whole chunk | $o/p.svg | replay $w/torn.pbcap --svg $o/p.svg --drag 1
0 | no difference | $o/p.svg | replay $released/demo.pbcap --svg $o/p.svg
0 | no difference | $o/p.svg | replay $released/one_handed_drag.pbcap --svg $o/p.svg --drag 1
0 | no difference | $o/p.svg | replay $released/guard_exit_player_dies.pbcap --svg $o/p.svg
0 | torn tail | $o/t.jsonl $o/p.svg | replay $released/torn_tail_player_mounts.pbcap --svg $o/p.svg --trace $o/t.jsonl
2 | text.pbcap: refused: offset 0: .*; nothing written | $o/p.svg $o/t.jsonl | replay $w/text.pbcap --svg $o/p.svg --trace $o/t.jsonl
2 | $w/missing.pbcap cannot be read \(No such file or directory\); nothing written | $o/p.svg | replay $w/missing.pbcap --svg $o/p.svg
2 | $w is a folder, not a file; nothing written | $o/p.svg | replay $w --svg $o/p.svg
2 | cannot write $o/none/t.jsonl \(No such file or directory\): .*pbcap was not played, nothing written | - | replay $demo --trace $o/none/t.jsonl
2 | --plugin: this build has the plugin linked in | - | replay $demo --plugin $w/a_file
2 | replay takes one file | - | replay $demo $demo
0 | ^format version 3$ | - | info $demo
0 | ^  . HoldTime=1000$ | - | info $with_ini
0 | ending: torn tail: [0-9]+ bytes kept | - | info $w/torn.pbcap
0 | ^frames: 31 \([0-9]+ events\), game time 1\.0 s$ | - | info $million
0 | ^drags: 1 begun, 1 ended$ | - | info $released/demo.pbcap
2 | text.pbcap: refused: offset 0: .*; nothing written | - | info $w/text.pbcap
2 | info takes one file | - | info $demo $demo
0 | ^usage: pallbrook-sim run | - | --help
0 | ^usage: pallbrook-sim run | - | help
2 | unknown command bogus | - | bogus
2 | no command given | - | 
EOF
)

# What only a library says when its exception escapes.
library='map::at|stoi|stod|basic_string|vector::|array::at|json\.exception|filesystem error|std::|terminate called|Aborted|out_of_range|invalid_argument|bad_alloc'
failed=0
count=0
while IFS='|' read -r status pattern files args; do
    status=${status// /}
    pattern=${pattern# }
    pattern=${pattern% }
    count=$((count + 1))
    rm -rf "$o"
    mkdir -p "$o"
    read -r -a argv <<<"$args"
    # Played in a folder of its own (--here plays in the current one).
    output=$(cd "$o" && "$sim" "${argv[@]}" 2>&1)
    got=$?
    why=()
    [ "$got" -eq "$status" ] || why+=("exit status $got, expected $status")
    grep -qE -- "$pattern" <<<"$output" || why+=("nothing matches: $pattern")
    grep -qE -- "$library" <<<"$output" && why+=("a library's text: $(grep -m1 -E -- "$library" <<<"$output")")
    if [ "$status" -eq 2 ] && [ "${argv[0]:-}" != check ] && ! grep -q 'written' <<<"$output"; then
        why+=("the message does not say what was written")
    fi
    for file in $files; do
        [ "$file" = - ] && continue
        if [ "$status" -eq 2 ]; then
            [ -e "$file" ] && why+=("$file written")
        elif [ ! -s "$file" ]; then
            why+=("$file not written")
        elif [[ $file == *.svg ]] && ! rsvg-convert "$file" -o "$o/drawn.png" 2>"$o/rsvg.err"; then
            why+=("$file cannot be drawn: $(head -1 "$o/rsvg.err")")
        fi
    done
    ls "$o"/*.part >/dev/null 2>&1 && why+=("a temporary file is left: $(ls "$o"/*.part)")
    if [ ${#why[@]} -gt 0 ]; then
        echo "FAIL pallbrook-sim$args"
        printf '  %s\n' "${why[@]}"
        echo "$output" | tail -5 | sed 's/^/  | /'
        failed=$((failed + 1))
    fi
done <<<"$cases"

# A refused command leaves a file of the name it was given as it was.
mkdir -p "$o"
echo "an older picture" >"$o/p.svg"
"$sim" replay "$demo" --svg "$o/p.svg" --drag 9 >/dev/null 2>&1
if [ "$(cat "$o/p.svg")" != "an older picture" ]; then
    echo "FAIL a refused replay changed the file its --svg named"
    failed=$((failed + 1))
fi

# The same under Wine, where an open file cannot be removed: a drag the
# replay does not have leaves no picture, the one it has is drawn.
for drag in 2 1; do
    rm -rf "$o"
    mkdir -p "$o"
    (cd "$windows" && "$here/../run-wine.sh" "$windows/pallbrook-sim.exe" replay \
        "Z:$released/demo.pbcap" --plugin "Z:$windows/Pallbrook.asi" --svg "Z:$o/p.svg" \
        --drag "$drag" >"$w/wine.out" 2>&1)
    got=$?
    want=$((drag == 2 ? 2 : 0))
    if [ "$got" -ne "$want" ] || [ -e "$o/p.svg.part" ] || { [ "$want" -eq 2 ] && [ -e "$o/p.svg" ]; } ||
        { [ "$want" -eq 0 ] && ! rsvg-convert "$o/p.svg" -o "$o/drawn.png"; }; then
        echo "FAIL pallbrook-sim.exe replay --drag $drag under Wine: exit status $got, expected $want; left: $(ls "$o")"
        tail -3 "$w/wine.out"
        failed=$((failed + 1))
    fi
done

echo "$count command cases and 2 under Wine, $failed failed"
[ "$failed" -eq 0 ]
