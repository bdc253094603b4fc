#!/usr/bin/env bash
# The brief of a replay tells why nothing happened, from the capture alone and
# with the values compared: one capture of each kind of report a player makes,
# recorded under Wine by the capture round trip.
# Usage: why_nothing_happened.sh SIM ROUND_TRIP_OUT SCENARIOS_DIR
set -uo pipefail
sim=$1 captures=$2 scenarios=$3
failures=0
# expect SCENARIO PATTERN...: each pattern matches a line of the replay's brief.
expect() {
    local name=$1 capture brief
    shift
    capture=$(ls "$captures/$name"/Pallbrook-capture-*.pbcap 2>/dev/null | head -1)
    brief=$("$sim" replay "$capture" --names "$scenarios/$name.json" 2>&1)
    for pattern in "$@"; do
        if ! grep -qE -- "$pattern" <<<"$brief"; then
            echo "$name: nothing matches: $pattern"
            failures=$((failures + 1))
        fi
    done
}
expect no_prompt_radius_nan 'stranger is 1\.00 m away, DetectionRadius nan' \
    'DetectionRadius=nan .*used.* nan' 'HoldTime=soon .*ignored.* 500' 'Radius=1 .*ignored'
expect no_prompt_nearby_peds 'far_body is 2\.10 m away, DetectionRadius 2\.00' \
    'tied_body: .*attached to.* horse' 'config flag.*\(11, 1\) answered no'
expect no_prompt_no_peds 'no ped listed'
expect no_prompt_in_vehicle 'nothing searched: .*in any vehicle.* yes'
expect hold_other_key 'on stranger stood .*control INPUT_DUCK, hold time 500 ms'
expect settings_unseen 'DragText=Haul .*ignored' 'in force: .*DragText "Drag" .*HoldTime 500'
info=$("$sim" info "$(ls "$captures"/settings_unseen/Pallbrook-capture-*.pbcap | head -1)")
for pattern in '<BOM>\[Pallbrook\]$' '\[Pallbrook\]<CR>HoldTime=700<CR>$'; do
    grep -qE -- "$pattern" <<<"$info" || { echo "info: nothing matches: $pattern"; failures=$((failures + 1)); }
done
[ "$failures" -eq 0 ] && echo "why_nothing_happened: every brief names its cause"
exit $((failures != 0))
