#!/usr/bin/env bash
# Captures every scenario as a player would in the game, and replays each
# capture on Linux. The Windows pallbrook-sim plays the scenario under Wine
# with PallbrookCapture.asi loaded through the stand-in ScriptHookRDR2.dll,
# which plays the game's part; the capture it leaves must then replay through
# the Linux build with no difference, and tell the same story as `run` of the
# scenario: every line of the brief, frame by frame, but the scenario's own
# timeline lines and two details that only the stand-in world knows (how long
# the control was held, where a body lies when it is let go).
# Each scenario played with Pallbrook.asi and with PallbrookCapture.asi must
# make the same calls: their traces are compared byte for byte.
# Usage: capture_round_trip.sh LINUX_SIM WINDOWS_BUILD_DIR SCENARIOS_DIR OUT_DIR
set -euo pipefail
linux_sim=$1
windows_dir=$(cd "$2" && pwd)
scenarios=$(cd "$3" && pwd)
out=$4
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)

# The frame lines of a brief as a capture can tell them.
story() {
    grep -E '^ +[0-9]+ +[0-9.-]+ s  ' "$1" | grep -v -E '^ +[0-9]+ +[0-9.-]+ s  > ' |
        sed -E 's/ \(INPUT_[A-Z0-9_]+ held [0-9]+ ms\)$//; s/ detached at \([^)]*\)$/ detached/'
}

failed=0
count=0
for scenario in "$scenarios"/*.json; do
    name=$(basename "$scenario" .json)
    folder=$out/$name
    count=$((count + 1))
    # Wine sees the Linux root as drive Z:.
    if ! (cd "$windows_dir" &&
        "$here/../run-wine.sh" "$windows_dir/pallbrook-sim.exe" run "Z:$scenario" \
            --folder "Z:$folder" --plugin "Z:$windows_dir/PallbrookCapture.asi" \
            --trace "Z:$out/$name.capture-build.trace" >"$out/$name.wine.brief" 2>&1); then
        echo "FAIL $name: the capture build did not play the scenario through:"
        tail -5 "$out/$name.wine.brief"
        failed=$((failed + 1))
        continue
    fi
    captures=("$folder"/Pallbrook-capture-*.pbcap)
    if [ ${#captures[@]} -ne 1 ] || [ ! -f "${captures[0]}" ]; then
        echo "FAIL $name: expected one capture in $folder, found ${#captures[@]}"
        failed=$((failed + 1))
        continue
    fi
    "$linux_sim" run "$scenario" >"$out/$name.run.brief" || true
    if ! "$linux_sim" replay "${captures[0]}" --names "$scenario" >"$out/$name.replay.brief" 2>&1; then
        echo "FAIL $name: the capture does not replay:"
        grep -A12 -E '^DIFFERENCE|FAILED|refused' "$out/$name.replay.brief" | head -20
        failed=$((failed + 1))
        continue
    fi
    if ! diff <(story "$out/$name.run.brief") <(story "$out/$name.replay.brief") >"$out/$name.diff"; then
        echo "FAIL $name: the replay's brief differs from run's:"
        head -20 "$out/$name.diff"
        failed=$((failed + 1))
        continue
    fi
    # The capture build asks the game for exactly what Pallbrook.asi asks.
    (cd "$windows_dir" &&
        "$here/../run-wine.sh" "$windows_dir/pallbrook-sim.exe" run "Z:$scenario" \
            --trace "Z:$out/$name.shipped-build.trace" >/dev/null 2>&1) || true
    if ! cmp -s "$out/$name.shipped-build.trace" "$out/$name.capture-build.trace"; then
        echo "FAIL $name: PallbrookCapture.asi makes other calls than Pallbrook.asi:"
        diff "$out/$name.shipped-build.trace" "$out/$name.capture-build.trace" | head -10
        failed=$((failed + 1))
        continue
    fi
    echo "$name: the same $(wc -l <"$out/$name.capture-build.trace") calls as Pallbrook.asi, captured in $(basename "${captures[0]}") ($(stat -c %s "${captures[0]}") bytes), replayed with no difference, $(story "$out/$name.replay.brief" | wc -l) lines of the brief alike"
done

# The Windows pallbrook-sim replays through the real Pallbrook.asi: the same
# brief as the Linux replay, byte for byte.
demo_capture=("$out"/demo/Pallbrook-capture-*.pbcap)
"$linux_sim" replay "${demo_capture[0]}" >"$out/demo.linux-replay.brief" 2>&1 || true
(cd "$windows_dir" &&
    "$here/../run-wine.sh" "$windows_dir/pallbrook-sim.exe" replay "Z:${demo_capture[0]}" \
        --plugin "Z:$windows_dir/Pallbrook.asi" >"$out/demo.wine-replay.brief" 2>&1) || true
if cmp -s "$out/demo.linux-replay.brief" "$out/demo.wine-replay.brief" &&
    grep -q 'no difference' "$out/demo.wine-replay.brief"; then
    echo "demo: replayed through Pallbrook.asi under Wine with no difference, the same brief as on Linux"
else
    echo "FAIL demo: the replay under Wine differs from the one on Linux:"
    diff "$out/demo.linux-replay.brief" "$out/demo.wine-replay.brief" | head -10
    failed=$((failed + 1))
fi

echo "$count scenarios captured and replayed, $failed failed"
[ "$failed" -eq 0 ]
