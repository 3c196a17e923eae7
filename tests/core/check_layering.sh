#!/usr/bin/env bash
# Fails when a file of the core includes a header of a folder above its own.
# The folders, bottom first; a folder may include its own headers and those below.
set -euo pipefail
core="${1:?usage: check_layering.sh SRC_CORE_DIR}"
layers=(base store metering dialer reports maintenance settings app)

rank() {
    local i
    for i in "${!layers[@]}"; do
        [[ "${layers[$i]}" == "$1" ]] && { echo "$i"; return; }
    done
    echo -1
}

status=0
while IFS= read -r file; do
    folder="${file#"$core"/}"
    folder="${folder%%/*}"
    own=$(rank "$folder")
    if [[ $own -lt 0 ]]; then
        echo "$file: folder '$folder' is not one of the layers (${layers[*]})"
        status=1
        continue
    fi
    while IFS= read -r target; do
        below=$(rank "$target")
        if [[ $below -gt $own ]]; then
            echo "$file includes $target/, which lies above $folder/"
            status=1
        fi
    done < <(sed -n 's|^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([a-z_]*\)/.*|\1|p' "$file")
done < <(find "$core" -mindepth 2 -name '*.h' -o -mindepth 2 -name '*.cpp')
exit $status
