#!/usr/bin/env bash
# The main job: builds Pallbrook.asi and pallbrook-sim, plays the demo scenario
# through the plugin in the stand-in host, and prints what the player would
# see. The call trace and a picture of the drag go into build/linux/.
# Arguments, if any, go to pallbrook-sim instead (e.g. run scenarios/FILE.json).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh

cmake --preset windows >/dev/null
cmake --build --preset windows --target Pallbrook
cmake --preset linux >/dev/null
cmake --build --preset linux --target pallbrook-sim
echo
echo "Pallbrook.asi: build/windows/Pallbrook.asi ($(stat -c %s build/windows/Pallbrook.asi) bytes)"
if [ $# -gt 0 ]; then
    exec build/linux/tools/pallbrook-sim "$@"
fi

out=build/linux
status=0
build/linux/tools/pallbrook-sim run scenarios/demo.json \
    --trace "$out/demo-trace.jsonl" --svg "$out/demo.svg" || status=$?
if [ -f "$out/demo.svg" ] && command -v rsvg-convert >/dev/null; then
    rsvg-convert "$out/demo.svg" -o "$out/demo.png"
fi
echo
echo "The brief is above. Written:"
[ -f "$out/demo-trace.jsonl" ] && echo "  $out/demo-trace.jsonl  every native call, wait and ped list, one JSON line each ($(wc -l <"$out/demo-trace.jsonl") lines)"
[ -f "$out/demo.svg" ] && echo "  $out/demo.svg          the drag seen from above"
[ -f "$out/demo.png" ] && echo "  $out/demo.png          the same picture as PNG"
exit $status
