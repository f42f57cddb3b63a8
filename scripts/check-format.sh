#!/bin/sh
# Fails when a source file differs from the project's clang-format style.
set -e
cd "$(dirname "$0")/.."
find src tests bench fuzz tools -name '*.cpp' -o -name '*.h' | xargs clang-format --dry-run --Werror
