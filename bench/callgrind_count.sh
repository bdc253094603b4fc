# Sourced by the callgrind scripts: runs a program under callgrind, counting
# only inside measuredFrame, and prints two numbers, the instructions counted
# and those of them inside the host functions (nativeInit, nativePush64,
# nativeCall and worldGetAllPeds, with all they run inside).
#
#   callgrind_count WORK_DIR NAME PROGRAM [ARG...]
#
# The program's standard output goes to WORK_DIR/NAME.stdout; on a failure
# its log is printed and the script exits.
callgrind_count() {
    local work=$1 name=$2
    shift 2
    local out=$work/$name.out
    valgrind --tool=callgrind --toggle-collect=measuredFrame --callgrind-out-file="$out" \
        "$@" >"$work/$name.stdout" 2>"$work/$name.log" || {
        cat "$work/$name.log" >&2
        exit 1
    }
    callgrind_annotate --inclusive=yes --threshold=100 "$out" 2>/dev/null | awk '
        function number(text) { gsub(",", "", text); return text + 0 }
        /PROGRAM TOTALS/ { total = number($1) }
        /:(nativeInit\(unsigned long long\)|nativePush64\(unsigned long long\)|nativeCall\(\)|worldGetAllPeds\(int\*, int\)) / {
            host += number($1)
        }
        END { printf "%d %d\n", total, host }'
}
