#!/usr/bin/env bash
# Fails when a file under src/ includes a folder its own folder may not include, as the
# "layers" block of docs/architecture.md allows.
set -euo pipefail
root=${1:-$(dirname "$0")/..}
declare -A direct
while IFS= read -r line; do
  folder=${line%%:*}
  direct[$folder]=${line#*:}
done < <(sed -n '/^```layers$/,/^```$/p' "$root/docs/architecture.md" | sed '1d;$d')

# Everything a folder may reach, itself included.
reach() {
  local seen=" $1 " queue=("$1")
  while ((${#queue[@]})); do
    local next=${queue[0]}
    queue=("${queue[@]:1}")
    for below in ${direct[$next]:-}; do
      if [[ $seen != *" $below "* ]]; then
        seen+="$below "
        queue+=("$below")
      fi
    done
  done
  echo "$seen"
}

status=0
for dir in "$root"/src/*/; do
  folder=$(basename "$dir")
  if [[ -z ${direct[$folder]+set} ]]; then
    echo "src/$folder is not in the layers of docs/architecture.md"
    status=1
    continue
  fi
  allowed=$(reach "$folder")
  while IFS=: read -r file _ include; do
    target=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$include")
    if [[ $allowed != *" $target "* ]]; then
      echo "${file#"$root"/}: includes $target/, which $folder/ may not"
      status=1
    fi
  done < <(grep -n '#include "[a-z_]*/' "$dir"* || true)
done
exit $status
