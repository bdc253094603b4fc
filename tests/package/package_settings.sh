#!/usr/bin/env bash
# Unpacks the players' zip into an empty folder that stands for the game folder
# and loads the shipped Pallbrook.ini there, as the plugin does when the game
# starts it: with the Linux build of the settings loader and with the Windows
# build under Wine, both with the game folder as working directory. Both must
# give exactly the built-in defaults, written out below. Then each key of the
# shipped file is changed in turn, to show that the file is really read: the
# change must show in that setting and in no other.
# Usage: package_settings.sh ZIP LINUX_DUMP WINDOWS_DUMP_EXE RUN_WINE WORK_FOLDER
set -euo pipefail
zip=$1
linux_dump=$(realpath "$2")
windows_dump=$(realpath "$3")
run_wine=$(realpath "$4")
work=$5

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

if [[ ! -f $zip ]]; then
    echo "FAIL: no package at $zip; make it with:" >&2
    echo "  cmake --build --preset windows --target package" >&2
    exit 1
fi

mkdir -p "$work"
work=$(realpath "$work")
game=$work/game
rm -rf "$game"
mkdir -p "$game"
unzip -q "$zip" -d "$game"
[[ -f $game/Pallbrook.ini ]] || {
    echo "FAIL: the package has no Pallbrook.ini" >&2
    exit 1
}

# The built-in defaults: control hash of INPUT_PUSH_TO_TALK, the two labels, the
# three times in milliseconds, and the three distances as the bits of the
# single-precision floats nearest to 2.0, 0.55 and 1.1.
defaults='DragInput 0x4BC9DABB
DragText "Drag"
DropText "Drop"
HoldTime 500
PickupAnimDuration 1000
PutdownAnimDuration 800
DetectionRadius 0x40000000 2
SnapDistFeet 0x3F0CCCCD 0.55
SnapDistHead 0x3F8CCCCD 1.1'

linux_settings=$(cd "$game" && "$linux_dump")
[[ $linux_settings == "$defaults" ]] ||
    fail "the shipped file does not load to the defaults (Linux build):"$'\n'"$(diff <(echo "$defaults") <(echo "$linux_settings") || true)"

windows_settings=$(cd "$game" && "$run_wine" "$windows_dump" 2>/dev/null | tr -d '\r')
[[ $windows_settings == "$defaults" ]] ||
    fail "the shipped file does not load to the defaults (Windows build under Wine):"$'\n'"$(diff <(echo "$defaults") <(echo "$windows_settings") || true)"

# Each key in turn gets another usable value in a copy of the shipped file.
changes=(
    'DragInput=INPUT_DUCK|DragInput 0xDB096B85'
    'DragText=Pull|DragText "Pull"'
    'DropText=Let go|DropText "Let go"'
    'HoldTime=750|HoldTime 750'
    'PickupAnimDuration=1200|PickupAnimDuration 1200'
    'PutdownAnimDuration=900|PutdownAnimDuration 900'
    'DetectionRadius=3.5|DetectionRadius 0x40600000 3.5'
    'SnapDistFeet=0.75|SnapDistFeet 0x3F400000 0.75'
    'SnapDistHead=1.5|SnapDistHead 0x3FC00000 1.5'
)
for change in "${changes[@]}"; do
    line=${change%%|*}
    result=${change#*|}
    key=${line%%=*}
    edited=$work/edited-$key
    rm -rf "$edited"
    mkdir -p "$edited"
    # Replace the key's line, keeping its CR LF end; a file without that line
    # stays as shipped.
    awk -v key="$key" -v line="$line" \
        'index($0, key "=") == 1 { sub(/[^\r]*/, line) } { print }' \
        "$game/Pallbrook.ini" >"$edited/Pallbrook.ini"
    grep -q "^$line"$'\r$' "$edited/Pallbrook.ini" || fail "the shipped file has no CR LF line for $key"
    got=$(cd "$edited" && "$linux_dump")
    want=$(awk -v key="$key" -v result="$result" '$1 == key { print result; next } { print }' \
        <<<"$defaults")
    [[ $got == "$want" ]] ||
        fail "changing $key in the shipped file:"$'\n'"$(diff <(echo "$want") <(echo "$got") || true)"
done

if [[ $failures -gt 0 ]]; then
    echo "$failures settings checks failed" >&2
    exit 1
fi
echo "the shipped Pallbrook.ini loads to the defaults, and each of its keys is read"
