#!/usr/bin/env bash
# Fails when a C++ file of the project differs from what clang-format makes of it.
# Fix with: clang-format -i $(git ls-files '*.cpp' '*.h')
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
clang-format --dry-run --Werror "${files[@]}"
