#!/usr/bin/env bash
# Measures and writes the figures of the docs: runs the benchmarks and puts
# their tables into docs/performance.md and docs/capture-and-replay.md, and
# the figures of the last test run into docs/testing.md, each between its
# marker comments
#     <!-- figures: NAME (written by bench/figures.sh) -->
#     <!-- end of figures: NAME -->
# with a line that says when, on which machine and at which commit they were
# measured (tools/measured.sh). Nothing else in the docs changes, so refreshing
# the figures is this command and a commit.
#
#   bash bench/figures.sh               performance and capture (builds the
#                                       release preset, then about five minutes)
#   bash bench/figures.sh performance   docs/performance.md only
#   bash bench/figures.sh capture       docs/capture-and-replay.md only
#   bash bench/figures.sh testing       docs/testing.md, from the figures that
#                                       the last `bash tools/test.sh` saved
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/release
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Rows of blank-separated fields on standard input to a Markdown table under
# the header HEADER (column names separated by |): the first column to the
# left, the others to the right, numbers with thousands separators.
markdown() {
    awk -v header="$1" '
        function grouped(n, sign, out, dot) {
            if (n !~ /^-?[0-9]+(\.[0-9]+)?$/) return n
            sign = n ~ /^-/ ? "-" : ""
            sub(/^-/, "", n)
            dot = index(n, ".")
            out = dot ? substr(n, dot) : ""
            n = dot ? substr(n, 1, dot - 1) : n
            while (length(n) > 3) {
                out = "," substr(n, length(n) - 2) out
                n = substr(n, 1, length(n) - 3)
            }
            return sign n out
        }
        BEGIN {
            n = split(header, name, "|")
            line = "|"; rule = "|"
            for (i = 1; i <= n; i++) {
                line = line " " name[i] " |"
                rule = rule (i == 1 ? "---|" : "---:|")
            }
            print line; print rule
        }
        {
            line = "|"
            for (i = 1; i <= NF; i++) line = line " " grouped($i) " |"
            print line
        }'
}

# Writes the file CONTENT between the markers of NAME in FILE.
write_block() {
    local file=$1 name=$2 content=$3
    if ! grep -q "^<!-- figures: $name (" "$file" || ! grep -q "^<!-- end of figures: $name -->" "$file"; then
        echo "figures: $file has no markers for '$name'" >&2
        exit 1
    fi
    awk -v name="$name" -v content="$content" '
        index($0, "<!-- figures: " name " (") == 1 {
            print
            while ((getline line < content) > 0) print line
            skipping = 1
            next
        }
        index($0, "<!-- end of figures: " name " -->") == 1 { skipping = 0 }
        !skipping { print }' "$file" >"$work/page"
    cat "$work/page" >"$file"
    echo "figures: $file: $name written"
}

# A block: the measured line, a blank line, the table, blank lines around.
block() {
    { echo; bash tools/measured.sh "$1"; echo; cat "$2"; echo; } >"$work/block"
    echo "$work/block"
}

# Rows of a bench's table: the lines that start with a scene's name.
scene_rows() {
    awk '$1 ~ /^(idle|dragging)\// && NF > 2'
}

build_release() {
    cmake --preset release >/dev/null
    cmake --build --preset release --target "$@"
}

performance() {
    local page=docs/performance.md
    build_release pallbrook_frame_bench pallbrook_frame_instructions
    local scenes
    scenes=$("$build/bench/pallbrook_frame_instructions" 2>&1 | sed -n 's/^scenes: //p' || true)

    # shellcheck disable=SC2086 # the scenes are words
    bash bench/callgrind.sh "$build" $scenes | tee "$work/instructions.txt"
    scene_rows <"$work/instructions.txt" |
        markdown "scene|natives|plugin|floor|ratio|plugin own|floor own" >"$work/table"
    write_block $page instructions "$(block "bash bench/callgrind.sh build/release SCENE..." "$work/table")"

    "$build/bench/pallbrook_frame_bench" | tee "$work/time.txt"
    # The medians' table comes after its own header line.
    sed -n '/^scene  *natives  *plugin ns/,$p' "$work/time.txt" | scene_rows |
        markdown "scene|natives|plugin ns|floor ns|ratio|own ns" >"$work/table"
    write_block $page time "$(block "build/release/bench/pallbrook_frame_bench" "$work/table")"

    cmake --preset windows >/dev/null
    cmake --build --preset windows --target Pallbrook
    local bytes
    bytes=$(stat -c %s build/windows/Pallbrook.asi)
    echo "$bytes" | awk '{ printf "Pallbrook.asi %d %.0f\n", $1, $1 / 1024 }' |
        markdown "file|bytes|KiB" >"$work/table"
    write_block $page size "$(block "cmake --build --preset windows --target Pallbrook" "$work/table")"
}

# One table of what capturing costs, a row a bench scene: the instructions of
# bench/capture_callgrind.sh, the bytes of a minute and the time ratio of
# pallbrook_capture_bench, joined on the scene's name; the half hour of drags
# measured whole, and the lines of capture/.
capture() {
    local page=docs/capture-and-replay.md half_hour=drags/64/half_hour
    build_release pallbrook_capture_bench pallbrook_frame_instructions

    "$build/bench/pallbrook_capture_bench" sizes "$half_hour" | tee "$work/sizes.txt"
    grep "^$half_hour " "$work/sizes.txt" |
        markdown "scene|bytes a minute|ms recording a minute|bytes of the half hour" >"$work/table"
    write_block $page capture-half-hour "$(block "build/release/bench/pallbrook_capture_bench sizes $half_hour" "$work/table")"
    local lines="find capture -name '*.cpp' -o -name '*.h' | xargs cat | wc -l"
    eval "$lines" | awk '{ print "capture/", $1, ($1 <= 3500 ? "met" : "missed") }' |
        markdown "folder|lines of C++|goal of at most 3,500" >"$work/table"
    write_block $page capture-lines "$(block "$lines" "$work/table")"

    bash bench/capture_callgrind.sh "$build" | tee "$work/instructions.txt"
    "$build/bench/pallbrook_capture_bench" bytes | tee "$work/bytes.txt"
    "$build/bench/pallbrook_capture_bench" time | tee "$work/time.txt"
    scene_rows <"$work/bytes.txt" >"$work/bytes.rows"
    scene_rows <"$work/time.txt" >"$work/time.rows"
    scene_rows <"$work/instructions.txt" |
        awk -v bytes="$work/bytes.rows" -v time="$work/time.rows" '
            BEGIN {
                while ((getline line < bytes) > 0) { split(line, f); minute[f[1]] = f[2] }
                while ((getline line < time) > 0) { split(line, f); ratio[f[1]] = f[4] }
            }
            # scene shipped off on on/off on/shipped events added/event
            { print $1, $7, $3, $4, $8, minute[$1], ratio[$1] }' |
        markdown "scene|events a frame|instructions off|instructions on|added per event|bytes a minute|time on/off" \
            >"$work/table"
    write_block $page capture-cost "$(block "bash bench/figures.sh capture" "$work/table")"
}

# The figures that tools/test.sh saved from its last run: a "Measured" line,
# then lines of blank-separated fields, each table after a line "table:
# NAME|HEADER".
testing() {
    local saved=build/test-figures.txt page=docs/testing.md
    [ -f $saved ] || {
        echo "figures: no $saved: run bash tools/test.sh first" >&2
        exit 1
    }
    local when
    when=$(head -n1 $saved)
    local name
    for name in $(sed -n 's/^table: \([a-z-]*\)|.*/\1/p' $saved); do
        local header
        header=$(sed -n "s/^table: $name|//p" $saved)
        awk -v name="$name" '/^table: / { on = index($0, "table: " name "|") == 1; next } on' $saved |
            markdown "$header" >"$work/table"
        { echo; echo "$when"; echo; cat "$work/table"; echo; } >"$work/block"
        write_block $page "$name" "$work/block"
    done
}

parts=("$@")
[ ${#parts[@]} -gt 0 ] || parts=(performance capture)
for part in "${parts[@]}"; do
    case "$part" in
    performance | capture | testing) "$part" ;;
    *)
        echo "usage: bench/figures.sh [performance] [capture] [testing]" >&2
        exit 2
        ;;
    esac
done
