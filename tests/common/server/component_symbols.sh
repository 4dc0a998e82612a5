#!/usr/bin/env bash
# Usage: component_symbols.sh NM PLATFORM_LIBRARY [PLATFORM_ARCHIVE...] -- COMPONENT_FILE...
# Fails when a component file holds its own definition of a platform symbol: every function and
# variable that libqxplatform.so or a platform piece defines outright (not the inline and
# template code that headers put into every user) must reach the component from the one
# library, never from a copy linked into the component, or the component would keep a second
# registry, handle table or apartment.
set -euo pipefail
nm=$1 platform=$2
shift 2
archives=()
while (($#)) && [[ $1 != -- ]]; do
    archives+=("$1")
    shift
done
(($#)) && shift
strong=$(mktemp)
trap 'rm -f "$strong"' EXIT
# T text, D data, B bss, R read-only data: definitions that are not weak or unique.
{
    "$nm" -D --defined-only "$platform"
    for archive in "${archives[@]}"; do
        "$nm" -g --defined-only "$archive" 2>/dev/null
    done
} | awk 'NF == 3 && $2 ~ /^[TDBR]$/ { print $3 }' | sort -u >"$strong"
[[ -s $strong ]] || { echo "no symbols defined in $platform"; exit 2; }
status=0
for component in "$@"; do
    # Every definition the file holds (local ones too: a hidden copy is still a copy) and every
    # one it exports (a stripped file keeps only those).
    copies=$({ "$nm" --defined-only "$component" 2>/dev/null || true; "$nm" -D --defined-only "$component"; } |
        awk 'NF >= 3 { print $3 }' | sort -u | comm -12 - "$strong")
    if [[ -n $copies ]]; then
        echo "$component defines platform symbols:"
        c++filt <<<"$copies" | sed 's/^/  /'
        status=1
    fi
done
exit $status
