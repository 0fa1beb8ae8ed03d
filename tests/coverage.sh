#!/usr/bin/env bash
# Runs every test over a build instrumented for coverage, then prints the
# line and branch coverage of src/. Fails when a line of src/ ran in no
# test, unless it is marked GCOVR_EXCL_LINE (or lies between GCOVR_EXCL_START
# and GCOVR_EXCL_STOP) with a reason after the marker why no test reaches it.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/coverage

unexplained=$(grep -n -E 'GCOVR_EXCL_(LINE|START)' src/* | grep -v -E 'GCOVR_EXCL_(LINE|START) +[a-z]' || true)
if [[ -n $unexplained ]]; then
    echo "coverage exclusions without a reason:" >&2
    echo "$unexplained" >&2
    exit 1
fi

# Counts from an earlier run would show lines as run that this run did not.
[[ -d $build ]] && find "$build" -name '*.gcda' -delete
cmake --workflow --preset coverage

echo
echo "coverage of src/ over every test (lines marked GCOVR_EXCL are not counted):"
grep -n -E 'GCOVR_EXCL_(LINE|START)' src/* | sed 's/^/  excluded: /'
gcovr --root . --object-directory "$build" --filter 'src/' \
    --exclude-unreachable-branches --exclude-throw-branches \
    --txt - --print-summary --fail-under-line 100 ||
    { echo "coverage: a line of src/ runs in no test (listed above under Missing)" >&2; exit 1; }
