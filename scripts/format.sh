#!/usr/bin/env bash
# Applies .clang-format to every C++ file git knows of (and new ones).
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z --cached --others --exclude-standard -- '*.cpp' '*.h' | xargs -0 -r clang-format -i
