#!/usr/bin/env bash
# Checks that every C++ file of the project is formatted as .clang-format says
# (clang-format from Debian's packages, which tools/setup.sh installs). Names
# each file that differs and fails; `tools/check-format.sh --fix` formats them.
# The files are formatted with clang-format 14, Debian 12's: another version
# lays some lines out otherwise, which is no fault of the code, so where
# clang-format is of another version (Debian 13 has 19) the check says so and
# is passed over.
set -euo pipefail
cd "$(dirname "$0")/.."
wanted=14
formatter=clang-format
command -v "clang-format-$wanted" >/dev/null && formatter=clang-format-$wanted
version=$("$formatter" --version | sed -n 's/.*clang-format version \([0-9]*\)\..*/\1/p')

# The files of this source tree, also when it is unpacked inside another
# repository's work tree.
if [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$(pwd -P)" ]; then
    mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h')
else
    mapfile -t files < <(find src capture sim tests tools bench -name '*.cpp' -o -name '*.h' | sort)
fi

if [ "${1:-}" = "--fix" ]; then
    if [ "$version" != "$wanted" ]; then
        echo "format: warning: $formatter is version ${version:-unknown}, the files are formatted" \
            "with clang-format $wanted; it may lay out lines that version $wanted leaves as they are" >&2
    fi
    "$formatter" -i "${files[@]}"
    exit 0
fi
if [ "$version" != "$wanted" ]; then
    echo "format: passed over: the files are formatted with clang-format $wanted, and" \
        "$formatter here is version ${version:-unknown} (install clang-format-$wanted to check)"
    exit 0
fi

differ=()
for file in "${files[@]}"; do
    [ -f "$file" ] || continue
    if ! "$formatter" --dry-run --Werror "$file" >/dev/null 2>&1; then
        differ+=("$file")
    fi
done
if [ ${#differ[@]} -gt 0 ]; then
    echo "format: ${#differ[@]} C++ files differ from .clang-format:" >&2
    printf '  %s\n' "${differ[@]}" >&2
    echo "format: fix them with: bash tools/check-format.sh --fix" >&2
    exit 1
fi
echo "format: ${#files[@]} C++ files as .clang-format says"
