#!/bin/sh
# Checks that the product, test, fuzz and benchmark sources follow .clang-format;
# names each file that does not. With --fix, formats them in place instead.
set -eu
cd "$(dirname "$0")/.."
case ${1:-} in
--fix) mode=-i ;;
"") mode="--dry-run --Werror" ;;
*) echo "usage: scripts/check-format.sh [--fix]" >&2; exit 2 ;;
esac
command -v clang-format >/dev/null || { echo "check-format: clang-format is not installed" >&2; exit 1; }
files=$(git ls-files 'plugin/*' 'dialog/*' 'calc/*' 'config/*' 'generate/*' 'host/*' 'app/*' 'tests/*' 'fuzz/*' 'bench/*' |
    grep -E '\.(cpp|h)$')
status=0
for file in $files; do
    # shellcheck disable=SC2086
    clang-format $mode "$file" 2>/dev/null || { echo "not formatted: $file"; status=1; }
done
[ $status -eq 0 ] || echo "check-format: run scripts/check-format.sh --fix" >&2
exit $status
