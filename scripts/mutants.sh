#!/usr/bin/env bash
# Plants each fault listed in tests/mutants.tsv, one at a time, rebuilds, and
# runs the tests named beside it, which must fail: a check that the tests
# still catch what they are there to catch, for whoever trims or rewrites
# them. Slow (a rebuild a fault), so not part of CI.
#
#   bash scripts/mutants.sh [build folder] [part of a fault's name]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
only=${2:-}
list=$root/tests/mutants.tsv
planted=
restore() { [[ -n $planted ]] && mv -f "$planted.unmutated" "$planted"; planted=; }
trap restore EXIT INT TERM

caught=0 missed=0
while IFS=$'\t' read -r what file from to program filter; do
    [[ -z $what || $what == \#* || ( -n $only && $what != *"$only"* ) ]] && continue
    path=$root/$file
    if [[ $(grep -cF -- "$from" "$path") != 1 ]]; then
        echo "STALE   $what: the text is not in $file exactly once"
        missed=$((missed + 1))
        continue
    fi
    cp -p "$path" "$path.unmutated"
    planted=$path
    python3 -c 'import sys; p, a, b = sys.argv[1:]; s = open(p).read(); open(p, "w").write(s.replace(a, b, 1))' \
        "$path" "$from" "$to"
    binary=$(find "$build/tests" -type f -name "$program" -perm -u+x | head -n 1)
    if ! cmake --build "$build" -j2 --target "$program" quoterra quoterra-service >/dev/null 2>&1 || [[ -z $binary ]]; then
        echo "NOBUILD $what"
        missed=$((missed + 1))
    elif timeout 300 "$binary" --gtest_filter="$filter" >/dev/null 2>&1; then
        echo "MISSED  $what ($program $filter)"
        missed=$((missed + 1))
    else
        echo "caught  $what"
        caught=$((caught + 1))
    fi
    restore
done <"$list"
cmake --build "$build" -j2 >/dev/null 2>&1 || echo "the build of the unmutated tree failed"
echo "$caught caught, $missed not"
[[ $missed == 0 ]]
