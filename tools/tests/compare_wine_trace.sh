#!/usr/bin/env bash
# Plays one scenario twice, with the Linux pallbrook-sim (plugin linked in) and
# with the Windows one under Wine (Pallbrook.asi loaded through the stand-in
# ScriptHookRDR2.dll), and requires the two call traces and briefs to be the
# same, byte for byte.
# Usage: compare_wine_trace.sh LINUX_SIM WINDOWS_BUILD_DIR SCENARIO OUT_DIR
set -euo pipefail
linux_sim=$1
windows_dir=$(cd "$2" && pwd)
scenario=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")
out=$4
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"
out=$(cd "$out" && pwd)

"$linux_sim" run "$scenario" --trace "$out/linux.trace" >"$out/linux.brief"
# Wine sees the Linux root as drive Z:.
(cd "$windows_dir" &&
    "$here/../run-wine.sh" "$windows_dir/pallbrook-sim.exe" run "Z:$scenario" \
        --trace "Z:$out/wine.trace" >"$out/wine.brief")

status=0
for kind in trace brief; do
    if cmp -s "$out/linux.$kind" "$out/wine.$kind"; then
        echo "the ${kind}s are the same ($(wc -l <"$out/linux.$kind") lines)"
    else
        echo "the ${kind}s differ:"
        diff "$out/linux.$kind" "$out/wine.$kind" | head -20
        status=1
    fi
done
exit $status
