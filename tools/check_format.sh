#!/usr/bin/env bash
# Fails when a C++ file is not laid out as .clang-format says; the layout was
# applied to the whole tree once and is kept that way.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
