#!/usr/bin/env bash
# Replays of the demo's capture (made by the capture round trip) that must
# find a difference, or refuse the file, at the right place.
# Usage: replay_checks.sh CHECK SIM ROUND_TRIP_OUT WORK
#   CHECK: changed_setting | changed_plugin | torn_tail | refused
set -uo pipefail
check=$1 sim=$2 captures=$3 work=$4
mkdir -p "$work"
capture=$(ls "$captures"/demo/Pallbrook-capture-*.pbcap 2>/dev/null | head -1)
if [ -z "$capture" ]; then
    echo "no capture of the demo in $captures/demo: the round trip test makes it"
    exit 1
fi

failures=0
# expect STATUS PATTERN... -- ARGS...: runs the replay, checks its status and
# that each pattern matches a line of its output.
expect() {
    local want=$1
    shift
    local patterns=()
    while [ "$1" != "--" ]; do
        patterns+=("$1")
        shift
    done
    shift
    local output status
    output=$("$sim" replay "$@" 2>&1)
    status=$?
    echo "$output" | tail -15
    if [ "$status" -ne "$want" ]; then
        echo "replay_checks: exit status $status, expected $want"
        failures=$((failures + 1))
    fi
    for pattern in "${patterns[@]}"; do
        if [ "$(grep -cE -- "$pattern" <<<"$output")" -eq 0 ]; then
            echo "replay_checks: nothing matches: $pattern"
            failures=$((failures + 1))
        fi
    done
}

case $check in
changed_setting)
    # A longer hold time reaches the game when the prompt is made, in the
    # first frame: the call that hands over the hold time differs.
    printf '[Pallbrook]\nHoldTime=750\n' >"$work/hold.ini"
    expect 1 '^DIFFERENCE in frame 1, event [0-9]+ of the frame:$' \
        '^  recorded: prompt hold time\([0-9]+, 500\)' '^  now:      prompt hold time\([0-9]+, 750\)' \
        '^  before it, as recorded and made again:$' 'frame 1, event [0-9]+: finish prompt|prompt label' \
        -- "$capture" --settings "$work/hold.ini"
    # A label changed: the text of the game string made for it differs.
    printf '[Pallbrook]\nDragText=Haul\n' >"$work/label.ini"
    expect 1 '^DIFFERENCE in frame 1, event' \
        '^  recorded: make game string\(10, "LITERAL_STRING", "Drag"\)' \
        '^  now:      make game string\(10, "LITERAL_STRING", "Haul"\)' \
        -- "$capture" --settings "$work/label.ini"
    # The same settings as captured (none): no difference.
    printf '[Pallbrook]\n' >"$work/defaults.ini"
    expect 0 'no difference' -- "$capture" --settings "$work/defaults.ini"
    ;;
changed_plugin)
    # The mutant's pick-up clip blends in at 5.0: found in the pick-up frame.
    expect 1 '^DIFFERENCE in frame 26, event [0-9]+ of the frame:$' \
        '^  recorded: play clip task\([0-9]+, "mech_ransack@chest@med@open@normal@b", "enter_rf", 4, 8, 1000' \
        '^  now:      play clip task\([0-9]+, "mech_ransack@chest@med@open@normal@b", "enter_rf", 5, 8, 1000' \
        'state Idle -> PickingUp' -- "$capture"
    # Changed where no recorded call shows it (a wait of 1 ms): the host's
    # faults alone fail the replay.
    export PALLBROOK_MUTANT=wait
    expect 1 '^FAILED: the host saw [0-9]+ fault' -- "$capture"
    unset PALLBROOK_MUTANT
    ;;
torn_tail)
    # A process killed in the middle of a write: the file ends inside its
    # last data chunk, ten bytes after its tag. The replay plays every whole
    # chunk before it.
    last=$(grep -oba DATA "$capture" | tail -1 | cut -d: -f1)
    head -c $((last + 10)) "$capture" >"$work/torn.pbcap"
    expect 0 'end of the capture \(torn tail: replayed up to the last whole chunk, [0-9]+ bytes kept' \
        'no difference' -- "$work/torn.pbcap"
    # A byte changed in the second data chunk, before the last: the replay
    # plays the chunks before it, says where the damage starts and what is
    # lost, and ends as for a torn tail; info counts the whole chunks after it.
    cp "$capture" "$work/damaged.pbcap"
    offset=$(grep -oba DATA "$capture" | sed -n 2p | cut -d: -f1)
    printf '\xff' | dd of="$work/damaged.pbcap" bs=1 seek=$((offset + 20)) conv=notrunc 2>/dev/null
    told="damage at byte $offset, the frames after frame ([0-9]+) lost, [1-9][0-9]* whole chunks after it not read"
    expect 0 "end of the capture \(damaged chunk: replayed up to the last whole chunk, $told\) after [0-9]+ frames" \
        'no difference' -- "$work/damaged.pbcap"
    if ! "$sim" info "$work/damaged.pbcap" | grep -qE "^chunks: [0-9]+ in $offset bytes; ending: damaged chunk: $told$"; then
        echo "replay_checks: info does not tell the damage: $("$sim" info "$work/damaged.pbcap" 2>&1)"
        failures=$((failures + 1))
    fi
    ;;
refused)
    printf 'not a capture at all\n' >"$work/text.pbcap"
    expect 2 'text.pbcap: refused: offset 0: ' -- "$work/text.pbcap"
    # The version word after the eight signature bytes.
    cp "$capture" "$work/version.pbcap"
    printf '\x63' | dd of="$work/version.pbcap" bs=1 seek=8 conv=notrunc 2>/dev/null
    expect 2 'version.pbcap: refused: offset 8: .*version' -- "$work/version.pbcap"
    ;;
*)
    echo "unknown check $check"
    exit 2
    ;;
esac
[ "$failures" -eq 0 ]
