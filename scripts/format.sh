#!/usr/bin/env bash
# Applies .clang-format to every C++ file git knows of (and new ones), with
# clang-format 14 (see clang-format-pinned.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/clang-format-pinned.sh
if [ -z "$clang_format" ]; then
    echo "Nothing was formatted: $clang_format_missing." >&2
    exit 1
fi
git ls-files -z --cached --others --exclude-standard -- '*.cpp' '*.h' | xargs -0 -r "$clang_format" -i
