#!/usr/bin/env bash
# Fails when a source file includes a header of a floor above its own.
#
# The floors, highest first; a folder may include its own floor and any
# floor below it, never one above. Folders on one line share a floor but
# do not include each other unless the later one is listed as resting on
# the earlier (filters read spots; setup, text and platform are the ground).
#   app > ui > document > transport > port > routing > filters > spots
#       > setup > text > platform
# Usage: bash scripts/check-floors.sh [source folder]   (default: src)
set -euo pipefail
cd "$(dirname "$0")/.."
src=${1:-src}

declare -A rank=(
    [app]=11 [ui]=10 [document]=9 [transport]=8 [port]=7 [routing]=6
    [filters]=5 [spots]=4 [setup]=3 [text]=2 [platform]=1
)

bad=0
while IFS= read -r hit; do
    file=${hit%%:*}
    rest=${hit#*:}
    rest=${rest#*:}
    from=${file#"$src"/}
    from=${from%%/*}
    to=$(sed -E 's/^#include "([a-z]+)\/.*/\1/' <<<"$rest")
    if [ -z "${rank[$from]:-}" ]; then
        echo "$file: folder '$from' has no floor; add it to scripts/check-floors.sh"
        bad=1
        continue
    fi
    [ -n "${rank[$to]:-}" ] || continue
    if [ "${rank[$to]}" -gt "${rank[$from]}" ]; then
        echo "$file: includes $to/ from $from/, a floor above: $rest"
        bad=1
    fi
done < <(grep -rnE '^#include "[a-z]+/' "$src" --include='*.h' --include='*.cpp')

if [ "$bad" -ne 0 ]; then
    echo "Includes climb: see above. Floors, highest first:"
    echo "  app > ui > document > transport > port > routing > filters > spots > setup > text > platform"
    exit 1
fi
echo "Includes only go down the floors."
