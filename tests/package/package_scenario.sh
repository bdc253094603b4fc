#!/usr/bin/env bash
# The players' zip as a player uses it: unpacked into an empty folder that
# stands for the game folder, with the stand-in host's ScriptHookRDR2.dll and
# scenario runner beside it, run under Wine with that folder as the working
# folder. The demo drag must play through with the shipped Pallbrook.ini; a
# changed label in that file must show in the game (so the file there is the
# one read), also when the plugin is loaded from a subfolder.
# Usage: package_scenario.sh ZIP WINDOWS_BUILD_DIR RUN_WINE SCENARIO WORK_DIR
set -euo pipefail
zip=$1
windows_build=$2
run_wine=$3
scenario=$4
work=$5
export PALLBROOK_WINEPREFIX=$windows_build/wineprefix

fail=0
unpack() { # folder [plugin subfolder]
    rm -rf "$1"
    mkdir -p "$1"
    unzip -q "$zip" -d "$1"
    cp "$windows_build/ScriptHookRDR2.dll" "$windows_build/pallbrook-sim.exe" "$1/"
    cp "$scenario" "$1/scenario.json"
    if [ -n "${2:-}" ]; then
        mkdir -p "$1/$2"
        mv "$1/Pallbrook.asi" "$1/$2/"
    fi
}
play() { # folder plugin-path log
    (cd "$1" && "$run_wine" ./pallbrook-sim.exe run scenario.json --here --plugin "$2") >"$3" 2>&1
}

for layout in "game:" "game-with-scripts-folder:scripts"; do
    folder=$work/${layout%%:*}
    sub=${layout#*:}
    plugin=Pallbrook.asi
    [ -n "$sub" ] && plugin="$sub\\Pallbrook.asi"

    unpack "$folder" "$sub"
    if play "$folder" "$plugin" "$folder.log" && grep -q 'all hold' "$folder.log"; then
        echo "$layout: the demo drag plays through with the shipped settings file"
    else
        echo "$layout: the demo drag failed with the shipped settings file:"
        cat "$folder.log"
        fail=1
    fi

    # The same folder with the label changed in its settings file.
    sed -i 's/^DragText=Drag\(\r\{0,1\}\)$/DragText=Haul\1/' "$folder/Pallbrook.ini"
    # (grep -c reads to the end: with -q, tr could be cut off by a broken pipe)
    if [ "$(tr -d '\r' <"$folder/Pallbrook.ini" | grep -c '^DragText=Haul$')" -eq 0 ]; then
        echo "$layout: the shipped Pallbrook.ini has no line DragText=Drag to change"
        fail=1
    elif play "$folder" "$plugin" "$folder-haul.log"; then
        echo "$layout: a changed label in the game folder's Pallbrook.ini went unnoticed"
        fail=1
    elif grep -q 'Haul' "$folder-haul.log"; then
        echo "$layout: the changed label reaches the game's prompt"
    else
        echo "$layout: the run with a changed label failed for another reason:"
        cat "$folder-haul.log"
        fail=1
    fi
done
exit $fail
