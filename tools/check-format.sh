#!/usr/bin/env bash
# Checks that every C++ file of the project is formatted as .clang-format says
# (clang-format from Debian's packages, which tools/setup.sh installs). Names
# each file that differs and fails; `tools/check-format.sh --fix` formats them.
set -euo pipefail
cd "$(dirname "$0")/.."

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h')
else
    mapfile -t files < <(find src sim tests tools bench -name '*.cpp' -o -name '*.h' | sort)
fi

if [ "${1:-}" = "--fix" ]; then
    clang-format -i "${files[@]}"
    exit 0
fi

differ=()
for file in "${files[@]}"; do
    [ -f "$file" ] || continue
    if ! clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then
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
