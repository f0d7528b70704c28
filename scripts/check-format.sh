#!/usr/bin/env bash
# Fails when a C++ file of the project is not in the house style
# (.clang-format); `clang-format -i FILE` puts it right.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
echo "clang-format: every file is formatted"
