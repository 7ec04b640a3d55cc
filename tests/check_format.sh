#!/usr/bin/env bash
# Fails when a tracked C++ source differs from what clang-format makes of it (.clang-format at the root).
set -euo pipefail
cd "$1"
status=0
while IFS= read -r f; do
    if ! clang-format --style=file "$f" | cmp -s - "$f"; then
        echo "not formatted: $f"
        status=1
    fi
done < <(git ls-files '*.cpp' '*.h')
exit $status
