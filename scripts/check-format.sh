#!/usr/bin/env bash
# Lists the C and C++ files under src/ tests/ fuzz/ bench/ that clang-format, with the project's
# .clang-format, would change, and fails if there is any. Mend them with: clang-format -i FILE...
# Layout differs between clang-format versions; the project's is Debian 12's (14), which
# "scripts/setup.sh format" installs when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh format

mapfile -t files < <(find src tests fuzz bench -type f \
    \( -name '*.c' -o -name '*.cpp' -o -name '*.h' \) | LC_ALL=C sort)
# One run for all files: it reports each line to change as "FILE:LINE:COLUMN: error: ...".
status=0
report=$(clang-format --dry-run --Werror "${files[@]}" 2>&1) || status=$?
violation='s/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p'
mapfile -t offenders < <(sed -n "$violation" <<<"$report" | uniq)
if [ ${#offenders[@]} -gt 0 ]; then
    echo "check-format: ${#offenders[@]} of ${#files[@]} files are not formatted:"
    printf '  %s\n' "${offenders[@]}"
    exit 1
elif [ $status -ne 0 ]; then
    echo "check-format: clang-format failed:"
    echo "$report"
    exit 1
fi
echo "check-format: ${#files[@]} files formatted"
